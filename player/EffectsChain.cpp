#include "EffectsChain.h"

#include "AudioLibrary.h"
#include "PlaybackSession.h"

namespace tavora {

namespace {
constexpr DWORD kDecodeFlags = BASS_STREAM_DECODE;
constexpr DWORD kCdFlags = BASS_STREAM_DECODE | BASS_CD_OPEN;
constexpr float kCentres[EffectsChain::kBandCount] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
}  // namespace

void EffectsChain::InstallEqualizer() {
    const BassFunctions& b = session_.library().Bass();
    const HSTREAM h = session_.Handle();
    if (!h || !b.BASS_FX_DSP_Set) return;
    DWORD freq = 0;
    b.BASS_ChannelGetAttributes(h, &freq, nullptr, nullptr);
    for (int i = 0; i < kBandCount; ++i) b.BASS_FX_DSP_Set(h, BASS_FX_DSPFX_PEAKEQ, 0);
    for (int i = 0; i < kBandCount; ++i) {
        BASS_FX_PEAKEQ_BAND band{i, freq, 1.0f, 0.0f, kCentres[i], 0.0f};
        b.BASS_FX_DSP_SetParameters(h, BASS_FX_DSPFX_PEAKEQ, &band);
    }
    equalizerInstalled_ = true;
    ApplyStoredGains();
}

void EffectsChain::RemoveEqualizer() {
    const BassFunctions& b = session_.library().Bass();
    if (session_.Handle() && b.BASS_FX_DSP_Remove) b.BASS_FX_DSP_Remove(session_.Handle(), BASS_FX_DSPFX_PEAKEQ);
    equalizerInstalled_ = false;
}

void EffectsChain::SetBandGain(int band, int gainDb) {
    if (band < 0 || band >= kBandCount) return;
    gains_[static_cast<size_t>(band)] = gainDb;
    const BassFunctions& b = session_.library().Bass();
    const HSTREAM h = session_.Handle();
    if (!h || !equalizerInstalled_ || !b.BASS_FX_DSP_GetParameters) return;
    BASS_FX_PEAKEQ_BAND params{};
    params.band = band;
    if (!b.BASS_FX_DSP_GetParameters(h, BASS_FX_DSPFX_PEAKEQ, &params)) return;
    params.gain = static_cast<float>(gainDb);
    b.BASS_FX_DSP_SetParameters(h, BASS_FX_DSPFX_PEAKEQ, &params);
}

void EffectsChain::ApplyStoredGains() {
    for (int i = 0; i < kBandCount; ++i) SetBandGain(i, gains_[static_cast<size_t>(i)]);
}

void EffectsChain::SetTempoPitch(float tempo, float pitch) {
    const BassFunctions& b = session_.library().Bass();
    if (session_.Handle() && b.BASS_FX_TempoSet) b.BASS_FX_TempoSet(session_.Handle(), tempo, 0, pitch);
}

void EffectsChain::SetDspValues(int tempo, int pitch, int speed) {
    dsp_.tempo = ClampDspValue(tempo);
    dsp_.pitch = ClampDspValue(pitch);
    dsp_.speed = ClampDspValue(speed);
}

void EffectsChain::ApplyDspValues() {
    SetTempoPitch(static_cast<float>(DspTempo(dsp_)), static_cast<float>(DspPitch(dsp_)));
}

HSTREAM EffectsChain::BuildReversed(const std::string& path, std::string& error, int& code) {
    const BassFunctions& b = session_.library().Bass();
    auto lastError = [&b] { return b.BASS_ErrorGetCode ? b.BASS_ErrorGetCode() : 0; };
    HSTREAM source = 0;
    if (b.BASS_StreamCreateFile) source = b.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!source && b.BASS_WMA_StreamCreateFile) source = b.BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!source && b.BASS_CD_StreamCreateFile) source = b.BASS_CD_StreamCreateFile(path.c_str(), kCdFlags);
    if (!source) {
        error = "Selected file couldnt be loaded!";
        code = lastError();
        return 0;
    }
    const HSTREAM reversed = b.BASS_FX_ReverseCreate ? b.BASS_FX_ReverseCreate(source, 2.0f, kCdFlags) : 0;
    if (!reversed) {
        error = "Couldnt create a reversed stream!";
        code = lastError();
        b.BASS_StreamFree(source);
        return 0;
    }
    const HSTREAM tempo = b.BASS_FX_TempoCreate ? b.BASS_FX_TempoCreate(reversed, PlaybackSession::kTempoFlags) : 0;
    if (!tempo) {
        error = "Couldnt create a resampled stream!";
        code = lastError();
        b.BASS_StreamFree(reversed);
        return 0;
    }
    return tempo;
}

void EffectsChain::AddReverb() {
    const BassFunctions& b = session_.library().Bass();
    if (session_.Handle() && b.BASS_ChannelSetFX) reverbFx_ = b.BASS_ChannelSetFX(session_.Handle(), BASS_FX_REVERB, 0);
}

void EffectsChain::Forget() {
    equalizerInstalled_ = false;
    reverbFx_ = 0;
}

}  // namespace tavora
