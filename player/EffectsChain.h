#pragma once
// The effects on the playing stream: the ten-band equaliser, tempo and pitch of the
// tempo wrapper, the reverb of reverse play, and the reversed stream itself. It keeps
// the stored band gains between streams; what sits on a stream is forgotten when the
// session frees it (Forget()).
//
// Threading: UI thread only, on the session's stream.

#include <array>
#include <string>

#include "EffectRules.h"
#include "tavora/bass_api.h"

namespace tavora {

class PlaybackSession;

class EffectsChain {
public:
    static constexpr int kBandCount = 10;

    explicit EffectsChain(PlaybackSession& session) : session_(session) {}

    // Puts the ten peaking bands on the stream and applies the stored gains.
    void InstallEqualizer();
    void RemoveEqualizer();
    bool EqualizerInstalled() const { return equalizerInstalled_; }
    // Stores the gain and, with the bands installed, applies it at once.
    void SetBandGain(int band, int gainDb);
    void ApplyStoredGains();
    std::array<int, kBandCount>& storedGains() { return gains_; }

    void SetTempoPitch(float tempo, float pitch);

    // The DSP effect dialog's trackbars while it is open; tempo and pitch act only then.
    void SetDspOpen(bool open) { dsp_.open = open; }
    void SetDspValues(int tempo, int pitch, int speed);
    const DspValues& dsp() const { return dsp_; }
    // Tempo and pitch from the trackbars on the stream (when one is there).
    void ApplyDspValues();

    // The file at `path` opened again, reversed and tempo-wrapped, with the reverb on;
    // 0 when a step fails, with `error` the message to show and `code` the engine's
    // error code (nothing is left open).
    HSTREAM BuildReversed(const std::string& path, std::string& error, int& code);
    // Puts the reverb on a stream made by BuildReversed once the session holds it.
    void AddReverb();

    // The stream the effects sat on is gone.
    void Forget();

private:
    PlaybackSession& session_;
    std::array<int, kBandCount> gains_{};
    bool equalizerInstalled_ = false;
    DspValues dsp_;
    HFX reverbFx_ = 0;
};

}  // namespace tavora
