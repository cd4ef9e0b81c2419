// The playback's commands and timers, and the commands that change the playback state
// at a window's request with the value the window sends: volume and mute, the
// position slider, the repeat and shuffle modes, and
// the slider lengths a skin brings. Windows never write the state themselves; they
// send these and follow the displayChanged event.
#include "PlaybackCommands.h"

#include "Commands.h"
#include "DisplayTitle.h"
#include "Messages.h"
#include "PlaybackState.h"
#include "PlayerEvents.h"
#include "Settings.h"
#include "StreamPlayback.h"

namespace tavora {

namespace {
// `amount` on a scale of `oldMax` carried over to a scale of `newMax`.
int Rescaled(int amount, int oldMax, int newMax) { return oldMax > 0 ? amount * newMax / oldMax : amount; }
}  // namespace

void RegisterPlaybackCommands(CommandRegistry& registry, PlayerTimers& timers, StreamPlayback& playback,
                              PlaybackState& state, const Settings& settings) {
    using namespace cmd;
    StreamPlayback& p = playback;
    registry.RegisterCommand(Play, [&p] { p.PlayPauseResume(); });
    registry.RegisterCommand(Stop, [&p] { p.StopPlayback(); });
    registry.RegisterCommand(Next, [&p] { p.PlayNext(); });
    registry.RegisterCommand(Back, [&p] { p.PlayPrevious(); });
    registry.RegisterCommand(ListDbClickPlay, [&p] { p.PlayCurrentEntry(); });
    registry.RegisterCommand(PlayListSelect, [&p] { p.PlaySelectedEntry(); });
    registry.RegisterCommand(TenSecNext, [&p] { p.Seek(+1); });
    registry.RegisterCommand(TenSecBack, [&p] { p.Seek(-1); });
    registry.RegisterCommand(VolumeUp, [&p] { p.StepVolume(+3); });
    registry.RegisterCommand(VolumeDown, [&p] { p.StepVolume(-3); });
    registry.RegisterCommand(CreateReverse, [&p] { p.CreateReverse(); });
    registry.RegisterCommand(PlayRow, [&p](const CommandData& d) {
        if (d.value) p.PlayRow(*d.value);
    });
    registry.RegisterCommand(SetReverseFlag, [&state](const CommandData& d) {
        if (d.value) state.reverseMode = *d.value != 0 ? 1 : 0;
    });
    // A row's title by its extension: tag titles for MP3, WMA/ASF and OGG files.
    p.views().titleForPath = [&settings](const std::string& path) {
        return ReadDisplayTitle(path, TitleSettingsFrom(settings.Values()));
    };
    timers.RegisterTimer(timer::kPosition, [&p] { p.OnPositionTimer(); });
    timers.RegisterTimer(timer::kStreamHeaders, [&p] { p.OnStreamHeadersTimer(); });
}

void RegisterStateCommands(CommandRegistry& registry, CommandSink& sink, PlaybackState& state,
                           StreamPlayback& playback, PlayerEvents& events) {
    using namespace cmd;
    auto changed = [&events] { emit events.displayChanged(); };
    registry.RegisterCommand(SetVolume, [&state, &playback](const CommandData& d) {
        if (!d.value) return;
        // Taking the slider while muted means the user wants to hear the new level.
        state.mute = 0;
        playback.SetVolume(*d.value);
    });
    registry.RegisterCommand(SetMute, [&playback](const CommandData& d) {
        if (d.value) playback.SetMute(*d.value != 0);
    });
    registry.RegisterCommand(SeekDrag, [&state, changed](const CommandData& d) {
        // While the slider is held the position timer leaves the thumb alone.
        if (!d.value) return;
        state.isSeeking = *d.value != 0 ? 1 : 0;
        changed();
    });
    registry.RegisterCommand(SeekTo, [&state, &playback](const CommandData& d) {
        state.isSeeking = 0;
        if (!d.value || !(state.isPlaying || state.isPaused) || state.isUrlStream) return;
        if (state.lengthSeconds > 0)
            state.positionUnits =
                static_cast<int>(static_cast<long long>(*d.value) * state.positionMax / state.lengthSeconds);
        playback.SeekToSeconds(static_cast<double>(*d.value));
    });
    // One change each for the repeat mode and for shuffle, announced to every window;
    // the tray menu's and other programs' numbers arrive as these (CommandNumbers.h).
    auto setRepeat = [&state, &events, changed](int mode) {
        state.repeatOff = mode == 0;
        state.repeatOne = mode == 1;
        state.repeatAll = mode == 2;
        changed();
        emit events.stateChanged(StateFact::Modes);
    };
    auto setShuffle = [&state, &sink, &events, changed](bool on) {
        state.shuffle = on ? 1 : 0;
        if (on) sink.Send(Shuttle);  // draws a new shuffle order
        changed();
        emit events.stateChanged(StateFact::Modes);
    };
    registry.RegisterCommand(SetRepeatMode, [setRepeat](const CommandData& d) {
        if (d.value && *d.value >= 0 && *d.value <= 2) setRepeat(*d.value);
    });
    registry.RegisterCommand(SetShuffle, [setShuffle](const CommandData& d) {
        if (d.value) setShuffle(*d.value != 0);
    });
    // A skin with another track length keeps the level heard and the place played.
    registry.RegisterCommand(SetVolumeRange, [&state, &events](const CommandData& d) {
        if (!d.value || *d.value <= 0) return;
        if (state.volumeMax > 0 && state.volumeMax != *d.value)
            state.volume = Rescaled(state.volume, state.volumeMax, *d.value);
        state.volumeMax = *d.value;
        emit events.stateChanged(StateFact::Volume);
    });
    registry.RegisterCommand(SetPositionRange, [&state](const CommandData& d) {
        if (!d.value || *d.value <= 0) return;
        if (state.positionMax > 0 && state.positionMax != *d.value)
            state.positionUnits = Rescaled(state.positionUnits, state.positionMax, *d.value);
        state.positionMax = *d.value;
    });
}

}  // namespace tavora
