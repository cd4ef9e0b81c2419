#include "PlaybackEffects.h"

#include "PlaybackSession.h"
#include "PlaybackState.h"

namespace tavora {

PlaybackEffects::PlaybackEffects(PlaybackSession& session, PlaybackState& state, Replay replay)
    : session_(session), state_(state), chain_(session), replay_(std::move(replay)) {}

void PlaybackEffects::InstallFor(For kind) {
    const bool dspOpen = kind == For::LocalFile && chain_.dsp().open;
    if (state_.equalizerOn && !dspOpen)
        chain_.InstallEqualizer();
    else if (dspOpen)
        chain_.ApplyDspValues();
}

void PlaybackEffects::SetEqualizerOn(bool on) {
    if (on == (state_.equalizerOn != 0)) return;
    state_.equalizerOn = on ? 1 : 0;
    if (on)
        chain_.InstallEqualizer();  // applies the stored gains
    else
        chain_.RemoveEqualizer();
}

bool PlaybackEffects::EqualizerOn() const { return state_.equalizerOn != 0; }

void PlaybackEffects::SetDspValues(int tempo, int pitch, int speed) {
    chain_.SetDspValues(tempo, pitch, speed);
    if (session_.HasStream()) chain_.ApplyDspValues();
}

bool PlaybackEffects::ReverseMode() const { return state_.reverseMode != 0; }

void PlaybackEffects::LeaveReverse(bool replay) {
    state_.reverseMode = 0;
    if (replay) replay_.normally();
}

void PlaybackEffects::ToggleReverse() {
    if (state_.reverseMode) {
        LeaveReverse(state_.isPlaying != 0);
        return;
    }
    state_.reverseMode = 1;
    if (state_.isPlaying) replay_.reversed();
}

void PlaybackEffects::ResetDsp() {
    chain_.SetDspValues(0, 0, 0);
    if (session_.HasStream()) chain_.ApplyDspValues();
    LeaveReverse(state_.reverseMode && state_.isPlaying);
}

void PlaybackEffects::CloseDsp() {
    chain_.SetDspValues(0, 0, 0);
    if (session_.HasStream()) chain_.SetTempoPitch(0, 0);
    LeaveReverse(state_.reverseMode && state_.isPlaying);
    chain_.SetDspOpen(false);
}

}  // namespace tavora
