#pragma once
// The playback's commands, registered by the player core: the transport (play, stop,
// next, back, the rows to play), seeks, the volume keys and reverse play with the
// position and stream-header timers; and the commands that change the playback state
// at a window's request (volume and mute, the position slider, the repeat and shuffle
// modes, the slider lengths a skin brings).
//
// Threading: UI thread.

#include "CommandRegistry.h"
#include "CommandSink.h"
#include "PlayerTimers.h"

namespace tavora {

class PlayerEvents;
class Settings;
class StreamPlayback;
struct PlaybackState;

void RegisterPlaybackCommands(CommandRegistry& registry, PlayerTimers& timers, StreamPlayback& playback,
                              PlaybackState& state, const Settings& settings);
void RegisterStateCommands(CommandRegistry& registry, CommandSink& sink, PlaybackState& state,
                           StreamPlayback& playback, PlayerEvents& events);

}  // namespace tavora
