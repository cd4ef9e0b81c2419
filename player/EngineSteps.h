#pragma once
// The engine's part of the start and the shutdown: the engine and helper modules are
// loaded at their start step and the sound output opened at its own; at shutdown the
// stream goes silent at once (no fade at exit), and output and modules are freed only
// once no worker can be inside the engine any more.
//
// Threading: UI thread.

#include <functional>

namespace tavora {

class AudioLibrary;
class ShutdownRegistrar;
class StartupSteps;
class StreamPlayback;
struct PlaybackState;

// `workersAbandoned` says whether a worker job was left running at shutdown (it may
// still be inside the engine, which is then not freed).
void InstallEngineSteps(StartupSteps& startup, ShutdownRegistrar& shutdown, AudioLibrary& audio,
                        StreamPlayback& playback, PlaybackState& state, std::function<bool()> workersAbandoned);

}  // namespace tavora
