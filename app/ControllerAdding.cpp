#include "ControllerAdding.h"

#include <QLoggingCategory>
#include <QObject>

#include <atomic>
#include <optional>
#include <vector>

#include "AddingDialogs.h"
#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "DisplayTitle.h"
#include "FolderScan.h"
#include "M3uLoader.h"
#include "MediaTypes.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlaylistJobs.h"
#include "PlsLoader.h"
#include "RowTitleTime.h"
#include "InternetStream.h"
#include "Settings.h"
#include "StreamPlayback.h"
#include "StreamProbe.h"
#include "TavoraPlayerDlg.h"
#include "TrackLength.h"
#include "UiThread.h"

namespace tavora {

Q_LOGGING_CATEGORY(lcAdding, "tavora.adding", QtInfoMsg)

namespace {

const char* const kObjectName = "tavora.addingCommands";

bool IsM3uFile(const std::string& path) { return media::InUse(media::Use::M3uList, ExtensionOf(path)); }
bool IsPlsSource(const std::string& path) { return media::InUse(media::Use::PlsList, ExtensionOf(path)); }

class AddingCommands : public QObject {
public:
    AddingCommands(CTavoraPlayerDlg& dlg, std::shared_ptr<AddingDialogs> dialogs)
        : QObject(&dlg), dlg_(dlg), model_(dlg.playlist()), dialogs_(std::move(dialogs)) {
        setObjectName(QString::fromLatin1(kObjectName));
    }

    void SetDialogs(std::shared_ptr<AddingDialogs> dialogs) { dialogs_ = std::move(dialogs); }

    void Register() {
        using namespace cmd;
        dlg_.RegisterCommand(Open, [this] { AddChosenFiles(); });
        dlg_.RegisterCommand(OpenTotal, [this] { OpenByDefault(); });
        dlg_.RegisterCommand(OpenFolder, [this] { ChooseFolderAndScan(false); });
        dlg_.RegisterCommand(OpenFolderPlay, [this] { ChooseFolderAndScan(true); });
        dlg_.RegisterCommand(OpenFolderDrag, [this](const CommandData& d) {
            if (!d.path.empty()) QueueScan(d.path, false);
        });
        dlg_.RegisterCommand(OpenFileDrag, [this](const CommandData& d) { AddDroppedFile(d.path); });
        dlg_.RegisterCommand(ListAddUrl, [this] { AskAddress(false); });
        dlg_.RegisterCommand(OpenUrl, [this] { AskAddress(true); });
        dlg_.RegisterCommand(CreateUrl, [this](const CommandData& d) { CreateUrlFromPending(d.path); });
        dlg_.RegisterCommand(ListSave, [this] { SaveList(); });
        dlg_.RegisterCommand(ListLoad, [this] {
            if (auto path = Ask([&](QWidget* parent) { return dialogs_->ChooseListToLoad(parent); }))
                LoadM3u(M3uLoadMode::Dialog, *path);
        });
        dlg_.RegisterCommand(OutFileLoadPlayTemp, [this](const CommandData& d) {
            if (!d.path.empty()) LoadM3u(M3uLoadMode::Dropped, d.path);
        });
        PlaybackViews& views = dlg_.playback().views();
        views.openFileDialog = [this] { OpenChosenFiles(); };
        views.loadPls = [this](const std::string& address) { LoadPlsList(address, playAddress_.load()); };
    }

private:
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

    // Archives are listed by the archive reader's own jobs; this may run on a worker.
    void ArchiveFound(const std::string& path) { dlg_.Post(cmd::StartArchiveLoad, CommandData::Path(path)); }
    std::function<void(const std::string&)> ArchiveHandler() {
        return [this](const std::string& path) { ArchiveFound(path); };
    }

    void StartRetitle(int firstRow) { dlg_.playlistJobs().StartTitlePass(firstRow); }

    void ListToFront() { dlg_.Post(cmd::SetForeGroundList); }

    // Plays `row` (as it is now) from its start; not once the player is closing.
    void PlayRow(int row) {
        if (dlg_.isDestroyed()) return;
        dlg_.playback().PlayRow(row);
    }

    // --- Files ---------------------------------------------------------------------

    // "Open": the chosen files become rows, then the title-and-time pass runs.
    void AddChosenFiles() {
        std::vector<std::string> files = Ask([&](QWidget* parent) { return dialogs_->ChooseSongFiles(parent); });
        if (files.empty()) return;
        playFirstAdded_ = true;
        // Rows cost no reading: all of them are added even when the player closes meanwhile.
        dlg_.jobs().StartThen(
            "Add", this,
            [this, files = std::move(files)](const std::atomic<bool>&) {
                const int first = model_.GetCount();
                for (const std::string& file : files) AddFileQuick(model_, file, ArchiveHandler());
                return first;
            },
            [this](int first) {
                StartRetitle(first);
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
        struct Added {
            int first = -1;       // the count before the files
            int firstSong = -1;   // the row of the first song added, played
        };
        dlg_.jobs().StartThen(
            "Add", this,
            [this, files = std::move(files), anySong](const std::atomic<bool>& stop) {
                Added added;
                added.first = model_.GetCount();
                for (const std::string& file : files) {
                    if (IsM3uFile(file)) {
                        dlg_.playlistJobs().LoadM3uWithin(anySong ? M3uLoadMode::CommandLine : M3uLoadMode::Dropped,
                                                          file, &playFirstAdded_, stop);
                        continue;
                    }
                    const int row = AddFileQuick(model_, file, ArchiveHandler());
                    if (added.firstSong < 0) added.firstSong = row;
                }
                return added;
            },
            [this](const Added& added) {
                if (added.firstSong >= 0) PlayRow(added.firstSong);
                StartRetitle(added.first);
                ListToFront();
            });
    }

    // One file that is played at once; a file that does not open is not added. An
    // archive stops what plays (faded when cross-fade is on) and its songs are added.
    void OpenAndPlayFile(const std::string& path) {
        if (IsArchiveExtension(ExtensionOf(path))) {
            dlg_.playback().StopPlayback();
            ArchiveFound(path);
            return;
        }
        const std::optional<ProbedStream> probe = dlg_.streamProbe().Probe(path);
        if (!probe) return;
        dlg_.streamProbe().Free(probe->handle);
        const std::string title = ReadDisplayTitle(path, TitleSettingsFrom(dlg_.settings().Values()));
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
    void AddDroppedFile(const std::string& dropped) {
        const std::optional<std::string> path = dropped.empty() ? std::nullopt : std::optional<std::string>(dropped);
        if (!path) return;
        const int row = AddFileQuick(model_, *path, ArchiveHandler());
        if (row < 0) return;
        if (auto read = ReadRowTitleAndTime(*path, TitleSettingsFrom(dlg_.settings().Values())))
            model_.UpdateEntry(row, *path, read->title, read->time);
        dlg_.Post(cmd::InvalidateList);
    }

    // --- Folders -------------------------------------------------------------------

    void ChooseFolderAndScan(bool play) {
        if (auto folder = Ask([&](QWidget* parent) { return dialogs_->ChooseFolder(parent); })) QueueScan(*folder, play);
    }

    // Folders are scanned one at a time in the order they were asked for; each scan
    // is followed by the title-and-time pass over its rows.
    void QueueScan(std::string folder, bool play) {
        dlg_.playlistJobs().StartFolderScan(
            std::move(folder),
            [this, play](const FolderScanResult& result) {
                if (result.firstRow < 0) return;
                RunOnUiThread(this, [this, result, play] {
                    if (play) PlayRow(result.firstRow);
                    StartRetitle(result.firstRow);
                });
            },
            ArchiveHandler());
    }

    // --- Addresses -----------------------------------------------------------------

    void AskAddress(bool play) {
        playAddress_ = play;
        const std::optional<std::string> address = Ask([&](QWidget* parent) { return dialogs_->AskAddress(parent); });
        if (!address || address->empty()) return;
        dlg_.Send(cmd::CreateUrl, CommandData::Path(*address));
    }

    // "Create Url": a list is read as PLS, anything else added as an internet stream.
    void CreateUrlFromPending(const std::string& typed) {
        const std::optional<std::string> address = typed.empty() ? std::nullopt : std::optional<std::string>(typed);
        if (!address || address->empty()) return;
        const bool play = playAddress_;
        if (IsPlsSource(*address)) {
            LoadPlsList(*address, play);
            return;
        }
        if (play) {
            // Opened off the UI thread like every address played; the row is added
            // only when it opens.
            dlg_.playback().PlayAddress(*address, [this, address = *address] {
                const int row = model_.AddEntry(AddressTitle(address), kTimeUrl, address);
                model_.SetSelectedIndex(row);
                model_.SetCurrentIndex(row);
                dlg_.Post(cmd::InvalidateList);
                return row;
            }, StreamPlayback::AddressStart::KeepPlaying);
            return;
        }
        dlg_.jobs().Start("UrlAdd", [this, address = *address](const std::atomic<bool>&) {
            const uint32_t stream = OpenAddressStream(address);
            // Only an address that opened is added: one whose check was cut short by
            // closing the player was never seen to open.
            if (!stream) return;
            dlg_.streamProbe().Free(stream);
            model_.AddEntry(AddressTitle(address), kTimeUrl, address);
            qCInfo(lcAdding).noquote() << "address" << QString::fromStdString(address) << "added";
            dlg_.Post(cmd::InvalidateList);
        });
    }

    void LoadPlsList(const std::string& source, bool play) {
        dlg_.playlistJobs().StartPlsLoad(source, [this, play](const PlsLoadResult& result) {
            if (!play || result.rowsAdded == 0 || !result.firstIsUrl) return;
            RunOnUiThread(this, [this, row = result.firstRow] { PlayRow(row); });
        });
    }

    // Opens an address as a playable internet stream with metadata; 0 when it does not open.
    uint32_t OpenAddressStream(const std::string& address) {
        const BassFunctions& b = dlg_.audio().Bass();
        if (!b.BASS_StreamCreateURL) return 0;
        return b.BASS_StreamCreateURL(address.c_str(), 0, InternetStream::kUrlFlags, nullptr, nullptr);
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
        dlg_.playlistJobs().StartM3uLoad(mode, path, &playFirstAdded_, [this, mode](const M3uLoadResult&) {
            if (mode == M3uLoadMode::Dialog) ListToFront();
        });
    }

    CTavoraPlayerDlg& dlg_;
    PlaylistModel& model_;
    std::shared_ptr<AddingDialogs> dialogs_;
    bool dialogOpen_ = false;
    // The next list opened in dropped mode plays its first row (set by the file dialogs).
    std::atomic<bool> playFirstAdded_{false};
    // Addresses are played once added ("Open Url") or only added ("List Add Url").
    std::atomic<bool> playAddress_{false};
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

}  // namespace tavora
