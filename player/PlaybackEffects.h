#pragma once
// The effects on the playing stream: what a new stream gets (the equaliser, or the
// DSP effect dialog's tempo and pitch while it is open) and the switches the windows
// use (EffectsControl): equaliser bands and on/off, DSP values, reverse play. Turning
// reverse play on or off replays through the faces the playback gives (Replay).
//
// Threading: UI thread only.

#include <functional>

#include "EffectsChain.h"
#include "EffectsControl.h"

namespace tavora {

class PlaybackSession;
struct PlaybackState;

class PlaybackEffects : public EffectsControl {
public:
    // The kind of stream whose effects are installed (see InstallFor).
    enum class For { LocalFile, InternetStream, ReversedFile };
    struct Replay {
        std::function<void()> reversed;  // the current row plays reversed
        std::function<void()> normally;  // the stream goes; the selected row plays again
    };

    PlaybackEffects(PlaybackSession& session, PlaybackState& state, Replay replay);

    EffectsChain& chain() { return chain_; }
    // While the DSP effect dialog is open a local file gets its tempo and pitch instead
    // of the equaliser; internet streams and reversed files only ever get the equaliser.
    void InstallFor(For kind);

    // EffectsControl.
    void SetBandGain(int band, int gainDb) override { chain_.SetBandGain(band, gainDb); }
    void SetEqualizerOn(bool on) override;
    bool EqualizerOn() const override;
    void SetDspOpen(bool open) override { chain_.SetDspOpen(open); }
    void SetDspValues(int tempo, int pitch, int speed) override;
    bool ReverseMode() const override;
    void ToggleReverse() override;
    void ResetDsp() override;
    void CloseDsp() override;

private:
    // Back from reverse play: the selected entry starts again normally.
    void LeaveReverse(bool replay);

    PlaybackSession& session_;
    PlaybackState& state_;
    EffectsChain chain_;
    Replay replay_;
};

}  // namespace tavora
