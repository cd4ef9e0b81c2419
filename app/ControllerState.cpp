// The commands that change the playback state at a window's request, with the value
// the window sends: volume and mute, the position slider, the repeat and shuffle
// modes, and the slider lengths a skin brings.
// Windows never write the state themselves; they send these and follow the
// displayChanged event.
#include "Commands.h"
#include "PlayerEvents.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

namespace {
// `amount` on a scale of `oldMax` carried over to a scale of `newMax`.
int Rescaled(int amount, int oldMax, int newMax) { return oldMax > 0 ? amount * newMax / oldMax : amount; }
}  // namespace

void CTavoraPlayerDlg::RegisterStateCommands() {
    using namespace cmd;
    auto changed = [this] { emit events_->displayChanged(); };
    RegisterCommand(SetVolume, [this](const CommandData& d) {
        if (!d.value) return;
        // Taking the slider while muted means the user wants to hear the new level.
        state_.mute = 0;
        playback_->SetVolume(*d.value);
    });
    RegisterCommand(SetMute, [this](const CommandData& d) {
        if (d.value) playback_->SetMute(*d.value != 0);
    });
    RegisterCommand(SeekDrag, [this, changed](const CommandData& d) {
        // While the slider is held the position timer leaves the thumb alone.
        if (!d.value) return;
        state_.isSeeking = *d.value != 0 ? 1 : 0;
        changed();
    });
    RegisterCommand(SeekTo, [this](const CommandData& d) {
        state_.isSeeking = 0;
        if (!d.value || !(state_.isPlaying || state_.isPaused) || state_.isUrlStream) return;
        if (state_.lengthSeconds > 0)
            state_.positionUnits =
                static_cast<int>(static_cast<long long>(*d.value) * state_.positionMax / state_.lengthSeconds);
        playback_->SeekToSeconds(static_cast<double>(*d.value));
    });
    // One change each for the repeat mode and for shuffle, announced to every window;
    // the tray menu's and other programs' numbers arrive as these (CommandNumbers.h).
    auto setRepeat = [this, changed](int mode) {
        state_.repeatOff = mode == 0;
        state_.repeatOne = mode == 1;
        state_.repeatAll = mode == 2;
        changed();
        emit events_->stateChanged(StateFact::Modes);
    };
    auto setShuffle = [this, changed](bool on) {
        state_.shuffle = on ? 1 : 0;
        if (on) OnCommand(Shuttle);  // draws a new shuffle order
        changed();
        emit events_->stateChanged(StateFact::Modes);
    };
    RegisterCommand(SetRepeatMode, [setRepeat](const CommandData& d) {
        if (d.value && *d.value >= 0 && *d.value <= 2) setRepeat(*d.value);
    });
    RegisterCommand(SetShuffle, [setShuffle](const CommandData& d) {
        if (d.value) setShuffle(*d.value != 0);
    });
    // A skin with another track length keeps the level heard and the place played.
    RegisterCommand(SetVolumeRange, [this](const CommandData& d) {
        if (!d.value || *d.value <= 0) return;
        if (state_.volumeMax > 0 && state_.volumeMax != *d.value)
            state_.volume = Rescaled(state_.volume, state_.volumeMax, *d.value);
        state_.volumeMax = *d.value;
        emit events_->stateChanged(StateFact::Volume);
    });
    RegisterCommand(SetPositionRange, [this](const CommandData& d) {
        if (!d.value || *d.value <= 0) return;
        if (state_.positionMax > 0 && state_.positionMax != *d.value)
            state_.positionUnits = Rescaled(state_.positionUnits, state_.positionMax, *d.value);
        state_.positionMax = *d.value;
    });
}

}  // namespace tavora
