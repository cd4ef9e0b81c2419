// The controller's playlist: the commands that change the list, the hand-off
// switches, the title-and-time pass, restoring the list at start and saving it at exit.
#include <QCoreApplication>

#include "BackgroundJobs.h"
#include "Commands.h"
#include "ControllerHooks.h"
#include "Messages.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistJobs.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void CTavoraPlayerDlg::RegisterPlaylistCommands() {
    using namespace cmd;
    jobs_ = std::make_unique<BackgroundJobs>();
    PlaylistJobHooks hooks;
    hooks.listChanged = [this] { PostMessage(msg::Command, cmd::InvalidateList); };
    hooks.playRow = [this](int row) {
        QMetaObject::invokeMethod(
            this, [this, row] { if (!destroyed_) playback_->PlayRow(row); }, Qt::QueuedConnection);
    };
    listJobs_ = std::make_unique<PlaylistJobs>(*jobs_, *playlist_, *probe_, std::move(hooks));
    RegisterCommand(Shuttle, [this] { playlist_->RebuildShuffleOrder(); });
    RegisterCommand(ListDelAll, [this] { playlist_->DeleteAllEntries(); });
    RegisterCommand(ListGetCount, [this] { playlist_->GetCount(); });
    RegisterCommand(SortTagList, [this] { listJobs_->StartTitlePass(playlist_->CountBeforeAdd()); });
    RegisterCommand(SortTag, [this] { listJobs_->StartRetitleAll(); });
    RegisterCommand(SortTagLine, [this] {
        const int row = playlist_->CurrentIndex();
        playlist_->UpdateTitle(row, playlist_->GetEntryField(row, kColumnPath), state_.titleText);
    });

    HandOffTargets targets;
    auto addAndRetitle = [this](const std::string& path) {
        const int first = playlist_->GetCount();
        AddFileQuick(*playlist_, path, [](const std::string&) {});
        listJobs_->StartTitlePass(first);
    };
    targets.addFile = addAndRetitle;
    targets.addFileAndPlayFirst = [this, addAndRetitle](const std::string& path) {
        addAndRetitle(path);
        playback_->PlayRow(0);
    };
    targets.loadM3u = [this](const std::string& path) { listJobs_->StartM3uLoad(M3uLoadMode::CommandLine, path); };
    targets.loadPls = [this](const std::string& path) { listJobs_->StartPlsLoad(path); };
    SetHandOffTargets(std::move(targets));

    ControllerHooks::get().restorePlaylist = [](CTavoraPlayerDlg& dlg, std::function<void()> then) {
        const bool beginPlay = dlg.state().beginPlay != 0;
        dlg.jobs_->Start("RegistryLoad", [&dlg, beginPlay, then = std::move(then)](const std::atomic<bool>&) {
            const RegistryLoadResult result = LoadPlaylistFromRegistry(dlg.playlist(), beginPlay);
            if (result.playRow >= 0) dlg.PostMessage(msg::Command, cmd::PlayListSelect);
            if (then) QMetaObject::invokeMethod(&dlg, then, Qt::QueuedConnection);
        });
    };
    // The list is saved once every worker has stopped adding to it.
    AddShutdownStep([this] {
        jobs_->StopAll([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
        SavePlaylistToRegistry(*playlist_);
    });
}

}  // namespace tavora
