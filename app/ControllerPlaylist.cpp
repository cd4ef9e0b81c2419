// The controller's playlist: the commands that change the list, the hand-off
// switches, the title-and-time pass, restoring the list at start and saving it at exit.
#include <QCoreApplication>

#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "ControllerHooks.h"
#include "DisplayTitle.h"
#include "M3uLoader.h"
#include "Messages.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "PlsLoader.h"
#include "RowRefresh.h"
#include "RowTitleTime.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void CTavoraPlayerDlg::StartTitlePass(int firstRow) {
    jobs_->Start("TitleTimeRefresh", [this, firstRow](const std::atomic<bool>& stop) {
        const TitleSettings settings = LoadTitleSettings();
        RefreshRows(
            *playlist_, firstRow,
            [&settings](const std::string& path) -> std::optional<RowText> {
                auto row = ReadRowTitleAndTime(path, settings);
                if (!row) return std::nullopt;
                return RowText{row->title, row->time};
            },
            &stop);
        if (!stop) PostMessage(msg::Command, cmd::InvalidateList);
    });
}

std::optional<ProbedStream> CTavoraPlayerDlg::ProbeStream(const std::string& path) {
    const HSTREAM h = playback_->OpenDecodeStream(path, true);
    if (!h) return std::nullopt;
    const BassFunctions& b = audio_->Bass();
    const QWORD length = b.BASS_StreamGetLength(h);
    ProbedStream probe;
    probe.handle = h;
    probe.lengthSeconds =
        length == static_cast<QWORD>(-1) ? 0 : static_cast<long long>(b.BASS_ChannelBytes2Seconds(h, length));
    return probe;
}

void CTavoraPlayerDlg::LoadListFile(const std::string& path, bool isPls) {
    jobs_->Start(isPls ? "PlsLoad" : "M3uLoad", [this, path, isPls](const std::atomic<bool>& stop) {
        if (isPls) {
            LoadPls(*playlist_, path);
        } else {
            M3uLoadServices services;
            services.probeStream = [this](const std::string& p) { return ProbeStream(p); };
            services.freeStream = [this](uint32_t h) {
                if (audio_->Bass().BASS_StreamFree) audio_->Bass().BASS_StreamFree(h);
            };
            services.displayTitle = [](const std::string& p) { return ReadDisplayTitle(p, LoadTitleSettings()); };
            services.stop = &stop;
            M3uLoader(*playlist_, std::move(services)).LoadM3u(M3uLoadMode::CommandLine, path);
        }
        PostMessage(msg::Command, cmd::InvalidateList);
    });
}

void CTavoraPlayerDlg::RegisterPlaylistCommands() {
    using namespace cmd;
    jobs_ = std::make_unique<BackgroundJobs>();
    RegisterCommand(Shuttle, [this] { playlist_->RebuildShuffleOrder(); });
    RegisterCommand(ListDelAll, [this] { playlist_->DeleteAllEntries(); });
    RegisterCommand(ListGetCount, [this] { playlist_->GetCount(); });
    RegisterCommand(SortTagList, [this] { StartTitlePass(playlist_->CountBeforeAdd()); });
    RegisterCommand(SortTag, [this] {
        jobs_->Start("TitleRefresh", [this](const std::atomic<bool>& stop) {
            const TitleSettings settings = LoadTitleSettings();
            RefreshRows(
                *playlist_, 0,
                [&settings](const std::string& path) -> std::optional<RowText> {
                    if (IsStreamAddress(path)) return std::nullopt;
                    return RowText{ReadDisplayTitle(path, settings), std::string()};
                },
                &stop);
            if (!stop) PostMessage(msg::Command, cmd::InvalidateList);
        });
    });
    RegisterCommand(SortTagLine, [this] {
        const int row = playlist_->CurrentIndex();
        playlist_->UpdateEntry(row, playlist_->GetEntryField(row, kColumnPath), state_.titleText,
                               playlist_->GetEntryField(row, kColumnTime));
    });

    HandOffTargets targets;
    auto addAndRetitle = [this](const std::string& path) {
        const int first = playlist_->GetCount();
        AddFileQuick(*playlist_, path, [](const std::string&) {});
        StartTitlePass(first);
    };
    targets.addFile = addAndRetitle;
    targets.addFileAndPlayFirst = [this, addAndRetitle](const std::string& path) {
        playlist_->SetSelectedIndex(0);
        playlist_->SetCurrentIndex(0);
        addAndRetitle(path);
        playback_->OpenAndPlay(playlist_->GetEntryField(0, kColumnPath));
    };
    targets.loadM3u = [this](const std::string& path) { LoadListFile(path, false); };
    targets.loadPls = [this](const std::string& path) { LoadListFile(path, true); };
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
