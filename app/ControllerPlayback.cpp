// The controller's playback: loading the engine, its version and output, and the
// commands and timers that drive the current stream.
#include <QCoreApplication>
#include <QLoggingCategory>

#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "CommandRouter.h"
#include "PlaybackCommands.h"
#include "PlayerSequences.h"
#include "PlayerTimerSet.h"
#include "Commands.h"
#include "DisplayTitle.h"
#include "EngineSteps.h"
#include "InternetStream.h"
#include "MessageBox.h"
#include "Messages.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "UiThread.h"

namespace tavora {

namespace {
// How long a worker deleting the playing row waits for the stream to stop.
constexpr std::chrono::seconds kReleaseWait{5};
}  // namespace

void CTavoraPlayerDlg::RegisterPlaybackCommands() {
    ::tavora::RegisterPlaybackCommands(*commands_, *timers_, *playback_, state_, settings_);
    RegisterStateCommands(*commands_, *commands_, state_, *playback_, *events_);
    // A deleted row whose extracted file is playing frees the stream first. The delete
    // commands run on the UI thread itself, where the stream is stopped directly; a
    // worker (a list load replacing the list) waits, within a bound, until the UI
    // thread has stopped it.
    playlist_->SetCurrentStreamReleaser([this] {
        RunOnUiThreadAndWait(this, [this] { playback_->StopPlayback(); }, kReleaseWait);
    });
    InstallEngineSteps(*startup_, *this, *audio_, *playback_, state_, [this] { return workersAbandoned(); });
}

bool CTavoraPlayerDlg::CheckEngineVersion() {
    if (audio_->VersionMatches()) return true;
    ShowMessageBox(this, QString::fromUtf8(kBassVersionMessage), QString::fromUtf8(kBassVersionCaption),
                   MessageIcon::Error);
    return false;
}

}  // namespace tavora
