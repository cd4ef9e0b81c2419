// The controller's playlist: the commands that change the list, the hand-off
// switches, the title-and-time pass, restoring the list at start and saving it at exit.
#include <QCoreApplication>
#include <QLoggingCategory>

#include "BackgroundJobs.h"
#include "InternetStream.h"
#include "Commands.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistJobs.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "UiThread.h"

Q_DECLARE_LOGGING_CATEGORY(lcHandOff)

namespace tavora {

void CTavoraPlayerDlg::RegisterPlaylistCommands() {
    using namespace cmd;
    jobs_ = std::make_unique<BackgroundJobs>();
    PlaylistJobHooks hooks;
    hooks.listChanged = [this] { Post(cmd::InvalidateList); };
    hooks.playRow = [this](int row) {
        RunOnUiThread(this, [this, row] { if (!destroyed_) playback_->PlayRow(row); });
    };
    listJobs_ = std::make_unique<PlaylistJobs>(*jobs_, *playlist_, *probe_, std::move(hooks));
    RegisterCommand(Shuttle, [this] { playlist_->RebuildShuffleOrder(); });
    RegisterCommand(ListDelAll, [this] { playlist_->DeleteAllEntries(); });
    RegisterCommand(MarkAddStart, [this] { playlist_->GetCount(); });
    RegisterCommand(SortTagList, [this] { listJobs_->StartTitlePass(playlist_->CountBeforeAdd()); });
    RegisterCommand(SortTag, [this] { listJobs_->StartRetitleAll(TitleSettingsFrom(settings_.Values())); });
    RegisterCommand(SortTagLine, [this] {
        const int row = playlist_->CurrentIndex();
        playlist_->UpdateTitle(row, playlist_->GetEntryField(row, kColumnPath), state_.titleText);
    });

    // The hand-off switches.
    // An archive is listed by a job of its own; when it is to be played, its first
    // song plays once it has been extracted (row 0 does not exist yet).
    // The row added (-1 for an archive).
    auto addAndRetitle = [this](const std::string& path, bool play) {
        const int first = playlist_->GetCount();
        bool archive = false;
        const int row = AddFileQuick(*playlist_, path, [this, play, &archive](const std::string& found) {
            archive = true;
            Post(StartArchiveLoad, play ? CommandData{found, 1} : CommandData::Path(found));
        });
        // An archive's rows keep their entry names and "압축" until they are played.
        if (!archive) listJobs_->StartTitlePass(first);
        return archive ? -1 : row;
    };
    RegisterCommand(HandOffAdd, [addAndRetitle](const CommandData& d) { addAndRetitle(d.path, false); });
    // "-s" plays row 0; a song opened by another program (value 1) plays its own row.
    RegisterCommand(HandOffAddAndPlay, [this, addAndRetitle](const CommandData& d) {
        const int row = addAndRetitle(d.path, true);
        if (row >= 0) playback_->PlayRow(d.value == 1 ? row : 0);
    });
    // A handed-over list says when it is in (on the job's thread; not when the player
    // closed first, which stops the load between entries).
    RegisterCommand(HandOffLoadM3u, [this](const CommandData& d) {
        listJobs_->StartM3uLoad(M3uLoadMode::CommandLine, d.path, nullptr, [path = d.path](const M3uLoadResult& r) {
            qCInfo(lcHandOff).noquote() << "list" << QString::fromStdString(path) << "loaded:" << r.rowsAdded << "rows";
        });
    });
    RegisterCommand(HandOffLoadPls, [this](const CommandData& d) {
        listJobs_->StartPlsLoad(d.path, [path = d.path](const PlsLoadResult& r) {
            qCInfo(lcHandOff).noquote() << "list" << QString::fromStdString(path) << "loaded:" << r.rowsAdded << "rows";
        });
    });

    // Workers stop before anything they use goes; the list is saved once none of them
    // adds to it any more, and only when it was loaded at all (a player that never
    // restored its list would save an empty or partial one over the stored list).
    // A job waiting in the engine for an address is ended by cancelling the engine's
    // pending opens, again on every wait step so that one begun meanwhile ends too.
    AddShutdownStep(ShutdownPhase::StopWork, [this] {
        jobs_->Cancel();
        playback_->internet().CancelEngineOpens();
        const size_t left = jobs_->StopAllWithin(
            [this] {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                playback_->internet().CancelEngineOpens();
            },
            kJobStopLimit);
        if (left > 0) {
            qWarning("tavora: %zu worker job(s) did not stop within %lld ms; shutting down without them", left,
                     static_cast<long long>(kJobStopLimit.count()));
            workersAbandoned_ = true;
        }
    });
    // A list the command line builds replaces the stored one once it has a row: a load
    // stopped at exit before its first row leaves the stored list as it was.
    AddShutdownStep(ShutdownPhase::Save, [this] {
        if (replacingStoredList_ && playlist_->RowCount() > 0) MarkPlaylistLoaded();
        if (playlistLoaded_) SavePlaylistToRegistry(*playlist_);
    });
}

// The saved playlist, restored on a worker; `then` (if set) runs on the UI thread once
// every saved row is in the list.
void CTavoraPlayerDlg::RestorePlaylist(std::function<void()> then) {
    const bool beginPlay = state_.beginPlay != 0;
    restoring_ = !jobs_->Cancelled();
    jobs_->StartThen(
        "RegistryLoad", this,
        [this, beginPlay](const std::atomic<bool>&) {
            const RegistryLoadResult result = LoadPlaylistFromRegistry(*playlist_, beginPlay);
            // Only a list restored to its end may be saved over the stored one.
            MarkPlaylistLoaded();
            if (result.playRow >= 0) Post(cmd::PlayListSelect);
        },
        [this, then = std::move(then)] {
            if (!destroyed_) EndRestore(then);
        });
}

void CTavoraPlayerDlg::EndRestore(const std::function<void()>& then) {
    restoring_ = false;
    if (then) then();
    // The arguments that arrived meanwhile, in their order.
    std::vector<int> waiting;
    waiting.swap(waitingHandOffs_);
    for (const int number : waiting) OnOutFileLoad(number);
}

}  // namespace tavora
