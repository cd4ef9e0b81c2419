#include "PlaybackVolume.h"

#include "PlaybackRules.h"
#include "PlaybackSession.h"
#include "PlaybackState.h"
#include "PlaybackViews.h"
#include "PlayerEvents.h"

namespace tavora {

PlaybackVolume::PlaybackVolume(PlaybackSession& session, PlaybackState& state, PlayerEvents& events,
                               const PlaybackViews& views)
    : session_(session), state_(state), events_(events), views_(views) {
    pauseFade_.setInterval(kPauseFadeStepMs);
    pauseFade_.setTimerType(Qt::PreciseTimer);
    pauseFade_.callOnTimeout([this] { PauseFadeStep(); });
}

void PlaybackVolume::ApplyChannelVolume() {
    session_.SetVolumePercent(ChannelVolumePercent(state_.volume, state_.volumeMax, state_.mute));
}

void PlaybackVolume::StartPauseFade() {
    pauseFadeLevel_ = state_.volume;
    pauseFade_.start();
    PauseFadeStep();  // a silent channel (level 0) stops at once
}

void PlaybackVolume::PauseFadeStep() {
    if (!session_.HasStream()) {
        pauseFade_.stop();
        return;
    }
    if (pauseFadeLevel_ <= 0) {
        // 10 ms after the step to 0: the channel stops, keeping its position.
        pauseFade_.stop();
        session_.Pause();
        return;
    }
    --pauseFadeLevel_;
    session_.SetVolumePercent(ChannelVolumePercent(pauseFadeLevel_, state_.volumeMax, state_.mute));
}

void PlaybackVolume::CancelPauseFade() { pauseFade_.stop(); }

void PlaybackVolume::StepVolume(int step) { SetVolume(SteppedVolume(state_.volume, state_.volumeMax, step)); }

void PlaybackVolume::SetVolume(int volume) {
    state_.volume = SteppedVolume(volume, state_.volumeMax, 0);
    ApplyChannelVolume();
    if (views_.volumeTooltip) views_.volumeTooltip(VolumeTooltip(state_.volume, state_.volumeMax));
    if (views_.refreshMain) views_.refreshMain();
    emit events_.stateChanged(StateFact::Volume);
}

void PlaybackVolume::SetMute(bool muted) {
    state_.mute = muted ? 1 : 0;
    ApplyChannelVolume();
    if (views_.refreshMain) views_.refreshMain();
    emit events_.stateChanged(StateFact::Volume);
}

void PlaybackVolume::SetBandVolume(int position) { SetVolume(VolumeFromBandPosition(position, state_.volumeMax)); }

}  // namespace tavora
