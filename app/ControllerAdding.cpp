#include "ControllerAdding.h"

#include <QObject>

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "AddingDialogs.h"
#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "DisplayTitle.h"
#include "DroppedPath.h"
#include "FolderScanner.h"
#include "M3uLoader.h"
#include "Messages.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlsLoader.h"
#include "RowRefresh.h"
#include "RowTitleTime.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "TrackLength.h"

namespace tavora {

namespace {

const char* const kObjectName = "tavora.addingCommands";

bool IsM3uFile(const std::string& path) { return ExtensionIs(ExtensionOf(path), "m3u"); }
bool IsPlsSource(const std::string& path) { return ExtensionIs(ExtensionOf(path), "pls"); }

// The title-and-time pass from `firstRow` to the last row.
void RetitleRows(PlaylistModel& model, int firstRow, const std::atomic<bool>* stop) {
    const TitleSettings settings = LoadTitleSettings();
    RefreshRows(
        model, firstRow,
        [&settings](const std::string& path) -> std::optional<RowText> {
            auto row = ReadRowTitleAndTime(path, settings);
            if (!row) return std::nullopt;
            return RowText{row->title, row->time};
        },
        stop);
}

class AddingCommands : public QObject {
public:
    AddingCommands(CTavoraPlayerDlg& dlg, std::shared_ptr<AddingDialogs> dialogs)
        : QObject(&dlg), dlg_(dlg), model_(dlg.playlist()), dialogs_(std::move(dialogs)) {
        setObjectName(QString::fromLatin1(kObjectName));
    }

    void SetDialogs(std::shared_ptr<AddingDialogs> dialogs) { dialogs_ = std::move(dialogs); }

    void SetArchiveReader(std::function<void(const std::string&)> reader) {
        std::lock_guard<std::mutex> guard(archiveLock_);
        archiveReader_ = std::move(reader);
    }

    void Register() {
        using namespace cmd;
        dlg_.RegisterCommand(Open, [this] { AddChosenFiles(); });
        dlg_.RegisterCommand(OpenTotal, [this] { OpenByDefault(); });
        dlg_.RegisterCommand(OpenFolder, [this] { ChooseFolderAndScan(false); });
        dlg_.RegisterCommand(OpenFolderPlay, [this] { ChooseFolderAndScan(true); });
        dlg_.RegisterCommand(OpenFolderDrag, [this] {
            if (auto folder = DroppedPath::get().Take(DroppedKind::Folder)) QueueScan(*folder, false);
        });
        dlg_.RegisterCommand(OpenFileDrag, [this] { AddDroppedFile(); });
        dlg_.RegisterCommand(ListAddUrl, [this] { AskAddress(false); });
        dlg_.RegisterCommand(OpenUrl, [this] { AskAddress(true); });
        dlg_.RegisterCommand(CreateUrl, [this] { CreateUrlFromPending(); });
        dlg_.RegisterCommand(ListSave, [this] { SaveList(); });
        dlg_.RegisterCommand(ListLoad, [this] {
            if (auto path = Ask([&](QWidget* parent) { return dialogs_->ChooseListToLoad(parent); }))
                LoadM3u(M3uLoadMode::Dialog, *path);
        });
        dlg_.RegisterCommand(OutFileLoadPlayTemp, [this] {
            if (auto path = DroppedPath::get().Take(DroppedKind::M3uList)) LoadM3u(M3uLoadMode::Dropped, *path);
        });
        PlaybackViews& views = dlg_.playback().views();
        views.openFileDialog = [this] { OpenChosenFiles(); };
        views.loadPls = [this](const std::string& address) { LoadPlsList(address, playAddress_.load()); };
    }

private:
    struct FolderRequest {
        std::string folder;
        bool play = false;
    };

    // Runs a dialog unless one of ours is already up; nothing once the controller has
    // been closed while the dialog ran.
    template <typename Dialog>
    auto Ask(Dialog dialog) -> decltype(dialog(nullptr)) {
        using Result = decltype(dialog(nullptr));
        if (dialogOpen_ || !dialogs_ || dlg_.isDestroyed()) return Result{};
        dialogOpen_ = true;
        const std::shared_ptr<AddingDialogs> keep = dialogs_;  // swapped while it runs, it stays
        QWidget* parent = dlg_.mainWindow() ? dlg_.mainWindow() : static_cast<QWidget*>(&dlg_);
        Result result = dialog(parent);
        dialogOpen_ = false;
        if (dlg_.isDestroyed()) return Result{};
        return result;
    }

    // Runs `fn` on the UI thread later (from a worker, or after the current command).
    template <typename Fn>
    void OnUiThread(Fn fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    }

    void ArchiveFound(const std::string& path) {
        std::function<void(const std::string&)> reader;
        {
            std::lock_guard<std::mutex> guard(archiveLock_);
            reader = archiveReader_;
        }
        if (reader) reader(path);
    }
    std::function<void(const std::string&)> ArchiveHandler() {
        return [this](const std::string& path) { ArchiveFound(path); };
    }

    void StartRetitle(int firstRow) {
        if (firstRow < 0) return;
        dlg_.jobs().Start("TitleTimeRefresh", [this, firstRow](const std::atomic<bool>& stop) {
            RetitleRows(model_, firstRow, &stop);
            if (!stop) dlg_.PostMessage(msg::Command, cmd::InvalidateList);
        });
    }

    void ListToFront() { dlg_.PostMessage(msg::Command, cmd::SetForeGroundList); }

    // Plays `row` (as it is now) from its start; not once the player is closing.
    void PlayRow(int row) {
        if (dlg_.isDestroyed()) return;
        std::string path;
        {
            EntryGuard guard = model_.LockEntries();
            if (row < 0 || row > model_.LastIndexLocked(guard)) return;
            path = model_.GetEntryFieldLocked(guard, row, kColumnPath);
            model_.SetSelectedIndexLocked(guard, row);
            model_.SetCurrentIndexLocked(guard, row);
        }
        dlg_.playback().OpenAndPlay(path);
    }

    // --- Files ---------------------------------------------------------------------

    // "Open": the chosen files become rows, then the title-and-time pass runs.
    void AddChosenFiles() {
        std::vector<std::string> files = Ask([&](QWidget* parent) { return dialogs_->ChooseSongFiles(parent); });
        if (files.empty()) return;
        playFirstAdded_ = true;
        // Rows cost no reading: all of them are added even when the player closes meanwhile.
        dlg_.jobs().Start("Add", [this, files = std::move(files)](const std::atomic<bool>&) {
            const int first = model_.GetCount();
            for (const std::string& file : files) AddFileQuick(model_, file, ArchiveHandler());
            OnUiThread([this, first] { StartRetitle(first); });
            ListToFront();
        });
    }

    // "Open Total": the open button's action chosen in the options.
    void OpenByDefault() {
        if (dlg_.state().openFolder) {
            ChooseFolderAndScan(true);
        } else if (dlg_.state().openUrl) {
            AskAddress(true);  // an address opened is played, as a file or folder opened is
        } else {
            OpenChosenFiles();
        }
    }

    // The open dialog: one file is played at once (a list plays its first row); of
    // several, lists are appended and the other files added, the first of them played.
    void OpenChosenFiles() {
        std::vector<std::string> files = Ask([&](QWidget* parent) { return dialogs_->ChooseSongFiles(parent); });
        if (files.empty()) return;
        playFirstAdded_ = true;
        if (files.size() == 1) {
            if (IsM3uFile(files.front())) LoadM3u(M3uLoadMode::Dropped, files.front());
            else OpenAndPlayFile(files.front());
            ListToFront();
            return;
        }
        // In the order chosen: lists are appended (the first row of a list plays only
        // when no song was chosen directly), songs added, the first of them played.
        bool anySong = false;
        for (const std::string& file : files) anySong = anySong || !IsM3uFile(file);
        dlg_.jobs().Start("Add", [this, files = std::move(files), anySong](const std::atomic<bool>& stop) {
            const int first = model_.GetCount();
            const TitleSettings settings = LoadTitleSettings();
            int firstAdded = -1;
            for (const std::string& file : files) {
                if (IsM3uFile(file)) {
                    M3uLoader(model_, M3uServices(settings, &stop))
                        .LoadM3u(anySong ? M3uLoadMode::CommandLine : M3uLoadMode::Dropped, file, &playFirstAdded_);
                    continue;
                }
                const int row = AddFileQuick(model_, file, ArchiveHandler());
                if (firstAdded < 0) firstAdded = row;
            }
            OnUiThread([this, first, firstAdded] {
                if (firstAdded >= 0) PlayRow(firstAdded);
                StartRetitle(first);
            });
            ListToFront();
        });
    }

    // One file that is played at once; a file that does not open is not added.
    void OpenAndPlayFile(const std::string& path) {
        if (IsArchiveExtension(ExtensionOf(path))) {
            ArchiveFound(path);
            return;
        }
        const std::optional<ProbedStream> probe = dlg_.ProbeStream(path);
        if (!probe) return;
        if (dlg_.audio().Bass().BASS_StreamFree) dlg_.audio().Bass().BASS_StreamFree(probe->handle);
        const std::string title = ReadDisplayTitle(path, LoadTitleSettings());
        int row;
        {
            EntryGuard guard = model_.LockEntries();
            row = model_.AddEntryLocked(guard, title, FormatTrackTime(static_cast<double>(probe->lengthSeconds)), path);
            model_.SetSelectedIndexLocked(guard, row);
            model_.SetCurrentIndexLocked(guard, row);
        }
        dlg_.playback().OpenAndPlay(path);
    }

    // "Open File Drag": one row, titled and measured before the command returns.
    void AddDroppedFile() {
        const std::optional<std::string> path = DroppedPath::get().Take(DroppedKind::File);
        if (!path) return;
        const int row = AddFileQuick(model_, *path, ArchiveHandler());
        if (row < 0) return;
        if (auto read = ReadRowTitleAndTime(*path, LoadTitleSettings()))
            model_.UpdateEntry(row, *path, read->title, read->time);
        dlg_.PostMessage(msg::Command, cmd::InvalidateList);
    }

    // --- Folders -------------------------------------------------------------------

    void ChooseFolderAndScan(bool play) {
        if (auto folder = Ask([&](QWidget* parent) { return dialogs_->ChooseFolder(parent); })) QueueScan(*folder, play);
    }

    // Folders are scanned one at a time in the order they were asked for; each scan
    // is followed by the title-and-time pass over its rows.
    void QueueScan(std::string folder, bool play) {
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            folderQueue_.push_back({std::move(folder), play});
        }
        dlg_.jobs().Start("FolderScan", [this](const std::atomic<bool>& stop) {
            FolderRequest request;
            {
                std::lock_guard<std::mutex> guard(queueLock_);
                if (folderQueue_.empty()) return;
                request = std::move(folderQueue_.front());
                folderQueue_.pop_front();
            }
            model_.GetCount();
            const FolderScanResult result = ScanFolder(model_, request.folder, ArchiveHandler(), &stop);
            if (stop || result.firstRow < 0) return;
            OnUiThread([this, result, play = request.play] {
                if (play) PlayRow(result.firstRow);
                StartRetitle(result.firstRow);
            });
        });
    }

    // --- Addresses -----------------------------------------------------------------

    void AskAddress(bool play) {
        playAddress_ = play;
        const std::optional<std::string> address = Ask([&](QWidget* parent) { return dialogs_->AskAddress(parent); });
        if (!address || address->empty()) return;
        DroppedPath::get().Put(DroppedKind::Address, *address);
        dlg_.SendCommand(cmd::CreateUrl);
    }

    // "Create Url": a list is read as PLS, anything else added as an internet stream.
    void CreateUrlFromPending() {
        const std::optional<std::string> address = DroppedPath::get().Take(DroppedKind::Address);
        if (!address || address->empty()) return;
        const bool play = playAddress_;
        if (IsPlsSource(*address)) {
            LoadPlsList(*address, play);
            return;
        }
        dlg_.jobs().Start("UrlAdd", [this, address = *address, play](const std::atomic<bool>& stop) {
            const uint32_t stream = OpenAddressStream(address);
            if (!stream) return;  // an address that does not open is not added
            // Kept even when the player is closing meanwhile: the list is saved after this.
            const int row = model_.AddEntry(AddressTitle(address), kTimeUrl, address);
            if (play && !stop) {
                OnUiThread([this, row, stream] { PlayAddressStream(row, stream); });
            } else {
                FreeStream(stream);
            }
            dlg_.PostMessage(msg::Command, cmd::InvalidateList);
        });
    }

    void LoadPlsList(const std::string& source, bool play) {
        dlg_.jobs().Start("PlsLoad", [this, source, play](const std::atomic<bool>& stop) {
            const PlsLoadResult result = LoadPls(model_, source);
            dlg_.PostMessage(msg::Command, cmd::InvalidateList);
            if (stop || !play || result.rowsAdded == 0 || !result.firstIsUrl) return;
            const std::string address = model_.GetEntryField(result.firstRow, kColumnPath);
            if (const uint32_t stream = OpenAddressStream(address))
                OnUiThread([this, row = result.firstRow, stream] { PlayAddressStream(row, stream); });
        });
    }

    // Opens an address as a playable internet stream with metadata; 0 when it does not open.
    uint32_t OpenAddressStream(const std::string& address) {
        const BassFunctions& b = dlg_.audio().Bass();
        if (!b.BASS_StreamCreateURL) return 0;
        return b.BASS_StreamCreateURL(address.c_str(), 0, StreamPlayback::kUrlFlags, nullptr, nullptr);
    }

    void FreeStream(uint32_t stream) {
        if (dlg_.audio().Bass().BASS_StreamFree) dlg_.audio().Bass().BASS_StreamFree(stream);
    }

    // The opened address stream replaces the playing one (UI thread).
    void PlayAddressStream(int row, uint32_t stream) {
        if (dlg_.isDestroyed()) {
            FreeStream(stream);
            return;
        }
        StreamPlayback& playback = dlg_.playback();
        playback.StopPlayback();
        dlg_.state().channelHandle = stream;
        {
            EntryGuard guard = model_.LockEntries();
            model_.SetSelectedIndexLocked(guard, row);
            model_.SetCurrentIndexLocked(guard, row);
        }
        playback.StartUrlStream();
    }

    // --- Playlist files ------------------------------------------------------------

    void SaveList() {
        const std::optional<std::string> path = Ask([&](QWidget* parent) { return dialogs_->ChooseListToSave(parent); });
        if (!path) return;
        WriteM3u(*path, model_.Entries());
        ListToFront();
    }

    // Dialog mode replaces the list; dropped mode appends and, when playFirstAdded is
    // set, plays the first row it adds; command-line mode appends.
    void LoadM3u(M3uLoadMode mode, const std::string& path) {
        dlg_.jobs().Start("M3uLoad", [this, mode, path](const std::atomic<bool>& stop) {
            const TitleSettings settings = LoadTitleSettings();
            M3uLoader(model_, M3uServices(settings, &stop)).LoadM3u(mode, path, &playFirstAdded_);
            dlg_.PostMessage(msg::Command, cmd::InvalidateList);
            if (mode == M3uLoadMode::Dialog) ListToFront();
        });
    }

    // What the list loader needs of the engine and the tag reader (`settings` must
    // outlive the load).
    M3uLoadServices M3uServices(const TitleSettings& settings, const std::atomic<bool>* stop) {
        M3uLoadServices services;
        services.stop = stop;
        services.probeStream = [this](const std::string& p) { return dlg_.ProbeStream(p); };
        services.freeStream = [this](uint32_t handle) { FreeStream(handle); };
        services.displayTitle = [&settings](const std::string& p) { return ReadDisplayTitle(p, settings); };
        services.playFirstRow = [this](int row, const ProbedStream& probe) {
            // The row is opened again for playing, on the UI thread.
            FreeStream(probe.handle);
            OnUiThread([this, row] { PlayRow(row); });
        };
        return services;
    }

    CTavoraPlayerDlg& dlg_;
    PlaylistModel& model_;
    std::shared_ptr<AddingDialogs> dialogs_;
    bool dialogOpen_ = false;
    // The next list opened in dropped mode plays its first row (set by the file dialogs).
    std::atomic<bool> playFirstAdded_{false};
    // Addresses are played once added ("Open Url") or only added ("List Add Url").
    std::atomic<bool> playAddress_{false};
    std::mutex queueLock_;
    std::deque<FolderRequest> folderQueue_;
    std::mutex archiveLock_;
    std::function<void(const std::string&)> archiveReader_;
};

AddingCommands* Find(CTavoraPlayerDlg& dlg) {
    // Only AddingCommands carries this name.
    return static_cast<AddingCommands*>(
        dlg.findChild<QObject*>(QString::fromLatin1(kObjectName), Qt::FindDirectChildrenOnly));
}

}  // namespace

void RegisterAddingCommands(CTavoraPlayerDlg& dlg) { RegisterAddingCommands(dlg, MakeQtAddingDialogs()); }

void RegisterAddingCommands(CTavoraPlayerDlg& dlg, std::shared_ptr<AddingDialogs> dialogs) {
    if (AddingCommands* existing = Find(dlg)) {
        existing->SetDialogs(std::move(dialogs));
        return;
    }
    auto* commands = new AddingCommands(dlg, std::move(dialogs));
    commands->Register();
}

void SetArchiveReader(CTavoraPlayerDlg& dlg, std::function<void(const std::string&)> reader) {
    if (AddingCommands* commands = Find(dlg)) commands->SetArchiveReader(std::move(reader));
}

}  // namespace tavora
