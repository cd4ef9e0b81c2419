#pragma once
// The install contract: everything a feature may use. Each feature has exactly one
// entry point,
//
//   namespace tavora::equalizer_window { void Install(PlayerContext& context); }
//
// called once, in the order of the feature list, before the player starts. A feature
// registers its command handlers, its steps of the start and of the shutdown and its
// timers, connects to the events, and joins its windows to the window host. It never
// receives the controller, and never writes another part's state: it sends a command
// or uses one of the faces below.
//
// Threading: install on the UI thread.

#include <string>

#include "CommandRegistry.h"
#include "CommandSink.h"
#include "JobService.h"
#include "PlayerTimers.h"
#include "ShutdownRegistrar.h"
#include "StartupSteps.h"
#include "WindowHost.h"

namespace tavora {

class AudioLibrary;   // audio/: the engine library the core loads
class EffectsControl;
class PlaybackView;
class PlayerEvents;
class PlaylistModel;  // playlist/: the list the core owns
class Settings;       // settings/: the settings owner

struct PlayerContext {
    CommandSink& commands;          // every request goes here
    CommandRegistry& handlers;      // where features register their commands' handlers
    const PlaybackView& view;       // what may be read of the playback
    PlayerEvents& events;           // what happened
    JobService& jobs;               // background work
    Settings& settings;             // the settings owner: live values, followers, saving
    ShutdownRegistrar& shutdown;    // steps of the shutdown's phases
    StartupSteps& startup;          // steps of the start
    PlayerTimers& timers;           // the numbered timers
    WindowHost& windows;            // the window set
    EffectsControl& effects;        // equaliser, DSP, reverse
    PlaylistModel& playlist;        // the list
    AudioLibrary& engine;           // the engine and helper modules
    std::string programPath;        // the running program (associations, bus activation)
};

using InstallFunction = void (*)(PlayerContext& context);

}  // namespace tavora
