// The controller's playback: loading the engine, its version and output, and the
// commands and timers that drive the current stream.
#include <QCoreApplication>
#include <QLoggingCategory>

#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "CommandRouter.h"
#include "PlaybackCommands.h"
#include "PlayerTimerSet.h"
#include "Commands.h"
#include "DisplayTitle.h"
#include "InternetStream.h"
#include "MessageBox.h"
#include "Messages.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "UiThread.h"

Q_LOGGING_CATEGORY(lcEngine, "tavora.engine", QtInfoMsg)

namespace tavora {

namespace {
// How long a worker deleting the playing row waits for the stream to stop.
constexpr std::chrono::seconds kReleaseWait{5};
}  // namespace

void CTavoraPlayerDlg::RegisterPlaybackCommands() {
    ::tavora::RegisterPlaybackCommands(*commands_, *timers_, *playback_, state_);
    RegisterStateCommands(*commands_, *commands_, state_, *playback_, *events_);
    // A deleted row whose extracted file is playing frees the stream first. The delete
    // commands run on the UI thread itself, where the stream is stopped directly; a
    // worker (a list load replacing the list) waits, within a bound, until the UI
    // thread has stopped it.
    playlist_->SetCurrentStreamReleaser([this] {
        RunOnUiThreadAndWait(this, [this] { playback_->StopPlayback(); }, kReleaseWait);
    });
    InstallEngineSteps();
}

void CTavoraPlayerDlg::InstallEngineSteps() {
    AddStartupStep(StartupStep::LoadLibraries, [this] {
        audio_->Load();
        if (!audio_->MissingFiles().empty()) {
            QStringList names;
            for (const std::string& name : audio_->MissingFiles()) names << QString::fromStdString(name);
            qCInfo(lcEngine).noquote() << "modules not found in the install folder's system folder:"
                                       << names.join(QStringLiteral(", "));
        }
    });
    AddStartupStep(StartupStep::InitOutput, [this] { playback_->InitOutput(); });
    // The stream goes silent at once (no fade at exit); output and modules are freed
    // only once no worker can be inside the engine any more.
    AddShutdownStep(ShutdownPhase::StopPlayback, [this] {
        const BassFunctions& b = audio_->Bass();
        if (state_.channelHandle && b.BASS_ChannelStop) b.BASS_ChannelStop(state_.channelHandle);
        state_.isPlaying = state_.isPaused = 0;
    });
    AddShutdownStep(ShutdownPhase::FreeEngine, [this] {
        if (workersAbandoned_) return;  // a worker may still be inside the engine
        playback_->FreeOutput();
        audio_->UnloadAll();
    });
}

bool CTavoraPlayerDlg::CheckEngineVersion() {
    if (audio_->VersionMatches()) return true;
    ShowMessageBox(this, QString::fromUtf8(kBassVersionMessage), QString::fromUtf8(kBassVersionCaption),
                   MessageIcon::Error);
    return false;
}

}  // namespace tavora
