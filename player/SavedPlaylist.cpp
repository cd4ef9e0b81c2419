#include "SavedPlaylist.h"

#include "BackgroundJobs.h"
#include "CommandSink.h"
#include "Commands.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "ShutdownRegistrar.h"

namespace tavora {

SavedPlaylist::SavedPlaylist(BackgroundJobs& jobs, PlaylistModel& playlist, CommandSink& sink,
                             ShutdownRegistrar& shutdown, QObject* ui)
    : jobs_(jobs), playlist_(playlist), sink_(sink), shutdown_(shutdown), ui_(ui) {
}

void SavedPlaylist::Install() {
    shutdown_.AddShutdownStep(ShutdownPhase::Save, [this] {
        if (replacing_ && playlist_.RowCount() > 0) MarkLoaded();
        if (loaded_) SavePlaylistToRegistry(playlist_);
    });
}

void SavedPlaylist::Restore(bool beginPlay, std::function<void()> then) {
    restoring_ = !jobs_.Cancelled();
    jobs_.StartThen(
        "RegistryLoad", ui_,
        [this, beginPlay](const std::atomic<bool>&) {
            const RegistryLoadResult result = LoadPlaylistFromRegistry(playlist_, beginPlay);
            // Only a list restored to its end may be saved over the stored one.
            MarkLoaded();
            if (result.playRow >= 0) sink_.Post(cmd::PlayListSelect);
        },
        [this, then = std::move(then)] {
            if (shutdown_.ShuttingDown()) return;
            restoring_ = false;
            if (then) then();
        });
}

}  // namespace tavora
