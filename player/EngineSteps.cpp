#include "EngineSteps.h"

#include <QLoggingCategory>
#include <QStringList>

#include "AudioLibrary.h"
#include "PlaybackState.h"
#include "ShutdownRegistrar.h"
#include "StartupSteps.h"
#include "StreamPlayback.h"

Q_LOGGING_CATEGORY(lcEngine, "tavora.engine", QtInfoMsg)

namespace tavora {

void InstallEngineSteps(StartupSteps& startup, ShutdownRegistrar& shutdown, AudioLibrary& audio,
                        StreamPlayback& playback, PlaybackState& state, std::function<bool()> workersAbandoned) {
    startup.AddStartupStep(StartupStep::LoadLibraries, [&audio] {
        audio.Load();
        if (!audio.MissingFiles().empty()) {
            QStringList names;
            for (const std::string& name : audio.MissingFiles()) names << QString::fromStdString(name);
            qCInfo(lcEngine).noquote() << "modules not found in the install folder's system folder:"
                                       << names.join(QStringLiteral(", "));
        }
    });
    startup.AddStartupStep(StartupStep::InitOutput, [&playback] { playback.InitOutput(); });
    shutdown.AddShutdownStep(ShutdownPhase::StopPlayback, [&audio, &state] {
        const BassFunctions& b = audio.Bass();
        if (state.channelHandle && b.BASS_ChannelStop) b.BASS_ChannelStop(state.channelHandle);
        state.isPlaying = state.isPaused = 0;
    });
    shutdown.AddShutdownStep(ShutdownPhase::FreeEngine, [&audio, &playback, workersAbandoned] {
        if (workersAbandoned()) return;  // a worker may still be inside the engine
        playback.FreeOutput();
        audio.UnloadAll();
    });
}

}  // namespace tavora
