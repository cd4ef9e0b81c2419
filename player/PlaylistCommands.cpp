#include "PlaylistCommands.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include "BackgroundJobs.h"
#include "CommandRegistry.h"
#include "CommandSink.h"
#include "Commands.h"
#include "DisplayTitle.h"
#include "InternetStream.h"
#include "PlaybackState.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistJobs.h"
#include "PlaylistModel.h"
#include "Settings.h"
#include "StreamPlayback.h"
#include "UiThread.h"

Q_LOGGING_CATEGORY(lcListHandOff, "tavora.handoff", QtInfoMsg)

namespace tavora {

PlaylistCommands::PlaylistCommands(Parts parts) : parts_(parts) {
    jobs_ = std::make_unique<BackgroundJobs>();
    PlaylistJobHooks hooks;
    hooks.listChanged = [this] { parts_.sink.Post(cmd::InvalidateList); };
    hooks.playRow = [this](int row) {
        RunOnUiThread(parts_.ui, [this, row] {
            if (!parts_.shutdown.ShuttingDown()) parts_.playback.PlayRow(row);
        });
    };
    listJobs_ = std::make_unique<PlaylistJobs>(*jobs_, parts_.playlist, parts_.probe, parts_.settings, std::move(hooks));
}

PlaylistCommands::~PlaylistCommands() = default;

void PlaylistCommands::Install() {
    using namespace cmd;
    CommandRegistry& commands = parts_.commands;
    PlaylistModel& playlist = parts_.playlist;
    commands.RegisterCommand(Shuttle, [&playlist] { playlist.RebuildShuffleOrder(); });
    commands.RegisterCommand(ListDelAll, [&playlist] { playlist.DeleteAllEntries(); });
    commands.RegisterCommand(MarkAddStart, [&playlist] { playlist.GetCount(); });
    commands.RegisterCommand(SortTagList, [this] { listJobs_->StartTitlePass(parts_.playlist.CountBeforeAdd()); });
    commands.RegisterCommand(SortTag,
                             [this] { listJobs_->StartRetitleAll(TitleSettingsFrom(parts_.settings.Values())); });
    commands.RegisterCommand(SortTagLine, [this] {
        const int row = parts_.playlist.CurrentIndex();
        parts_.playlist.UpdateTitle(row, parts_.playlist.GetEntryField(row, kColumnPath), parts_.state.titleText);
    });

    // The hand-off switches.
    commands.RegisterCommand(HandOffAdd, [this](const CommandData& d) { AddAndRetitle(d.path, false); });
    // "-s" plays row 0; a song opened by another program (value 1) plays its own row.
    commands.RegisterCommand(HandOffAddAndPlay, [this](const CommandData& d) {
        const int row = AddAndRetitle(d.path, true);
        if (row >= 0) parts_.playback.PlayRow(d.value == 1 ? row : 0);
    });
    // A handed-over list says when it is in (on the job's thread; not when the player
    // closed first, which stops the load between entries).
    commands.RegisterCommand(HandOffLoadM3u, [this](const CommandData& d) {
        listJobs_->StartM3uLoad(M3uLoadMode::CommandLine, d.path, nullptr, [path = d.path](const M3uLoadResult& r) {
            qCInfo(lcListHandOff).noquote() << "list" << QString::fromStdString(path) << "loaded:" << r.rowsAdded
                                            << "rows";
        });
    });
    commands.RegisterCommand(HandOffLoadPls, [this](const CommandData& d) {
        listJobs_->StartPlsLoad(d.path, [path = d.path](const PlsLoadResult& r) {
            qCInfo(lcListHandOff).noquote() << "list" << QString::fromStdString(path) << "loaded:" << r.rowsAdded
                                            << "rows";
        });
    });

    // Workers stop before anything they use goes.
    parts_.shutdown.AddShutdownStep(ShutdownPhase::StopWork, [this] { StopWork(); });
}

// An archive is listed by a job of its own; when it is to be played, its first song
// plays once it has been extracted (row 0 does not exist yet).
int PlaylistCommands::AddAndRetitle(const std::string& path, bool play) {
    const int first = parts_.playlist.GetCount();
    bool archive = false;
    const int row = AddFileQuick(parts_.playlist, path, [this, play, &archive](const std::string& found) {
        archive = true;
        parts_.sink.Post(cmd::StartArchiveLoad, play ? CommandData{found, 1} : CommandData::Path(found));
    });
    // An archive's rows keep their entry names and "압축" until they are played.
    if (!archive) listJobs_->StartTitlePass(first);
    return archive ? -1 : row;
}

// A job waiting in the engine for an address is ended by cancelling the engine's
// pending opens, again on every wait step so that one begun meanwhile ends too.
void PlaylistCommands::StopWork() {
    jobs_->Cancel();
    parts_.playback.internet().CancelEngineOpens();
    const size_t left = jobs_->StopAllWithin(
        [this] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            parts_.playback.internet().CancelEngineOpens();
        },
        kJobStopLimit);
    if (left > 0) {
        qWarning("tavora: %zu worker job(s) did not stop within %lld ms; shutting down without them", left,
                 static_cast<long long>(kJobStopLimit.count()));
        workersAbandoned_ = true;
    }
}

}  // namespace tavora
