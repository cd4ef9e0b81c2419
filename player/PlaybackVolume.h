#pragma once
// The level heard: the channel volume from the volume slider's level and the mute
// switch, the steps of the volume keys, the band's volume position, and the pause
// fade (one volume step every 10 ms, then the channel stops). The pause counts at
// once; a resume or a new stream ends the fade where it is.
//
// Threading: UI thread only.

#include <QTimer>

namespace tavora {

class PlaybackSession;
class PlayerEvents;
struct PlaybackState;
struct PlaybackViews;

class PlaybackVolume {
public:
    static constexpr int kPauseFadeStepMs = 10;

    PlaybackVolume(PlaybackSession& session, PlaybackState& state, PlayerEvents& events, const PlaybackViews& views);

    // The channel volume of a start, resume or un-mute: the slider's percentage, 0 muted.
    void ApplyChannelVolume();
    // Sets the slider position (0..volumeMax) and the channel's volume.
    void SetVolume(int volume);
    void StepVolume(int step);
    void SetMute(bool muted);
    // The taskbar band's volume position 0..38.
    void SetBandVolume(int position);

    // The pause fade: the first step now, the others on a timer; the channel stops
    // after the step to 0.
    void StartPauseFade();
    void CancelPauseFade();
    bool PauseFading() const { return pauseFade_.isActive(); }

private:
    void PauseFadeStep();

    PlaybackSession& session_;
    PlaybackState& state_;
    PlayerEvents& events_;
    const PlaybackViews& views_;
    QTimer pauseFade_;
    int pauseFadeLevel_ = 0;  // the volume-slider level the fade has reached
};

}  // namespace tavora
