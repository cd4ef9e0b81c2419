// The exported C entry points of bass_fx.so: tempo/pitch and reverse wrappers and the
// peaking equaliser (effect 5: one band per BASS_FX_DSP_Set).

#include <mutex>
#include <vector>

#include "FxSources.h"
#include "PeakingEq.h"

using namespace tavora::audio;

namespace {

constexpr int kPeakEqKind = BASS_FX_DSPFX_PEAKEQ;

struct Band {
    BASS_FX_PEAKEQ_BAND params {};
    PeakingEq filter;
};

// The equaliser of one channel; its bands run in the order they were added.
struct Equaliser {
    std::mutex mutex;
    std::vector<Band> bands;
    DWORD channelRate = 44100;
};

void ProcessEq(void* user, float* buffer, DWORD frames, DWORD chans, DWORD freq) {
    auto& eq = *static_cast<Equaliser*>(user);
    std::lock_guard lock(eq.mutex);
    PeakingEq* filters[64];
    size_t count = 0;
    for (Band& band : eq.bands)
        if (count < 64) filters[count++] = &band.filter;
    PeakingEq::ProcessChain(filters, count, buffer, frames, static_cast<int>(chans));
}

void DestroyEq(void* user) { delete static_cast<Equaliser*>(user); }

void Configure(Band& band, DWORD channelRate) {
    const BASS_FX_PEAKEQ_BAND& p = band.params;
    band.filter.Configure(p.freq ? p.freq : channelRate, p.center, p.gain, p.bandwidth, p.q);
}

// The channel exists and the effect is the equaliser; the error is set otherwise.
bool IsEqualiserCall(DWORD handle, int dsp, BASS_CHANNELINFO& info) {
    if (!BASS_ChannelGetInfo(handle, &info)) return false;
    if (dsp != kPeakEqKind) {
        TAVORA_SetError(BASS_ERROR_ILLTYPE);
        return false;
    }
    return true;
}

}  // namespace

extern "C" {

HSTREAM BASS_FX_TempoCreate(DWORD chan, DWORD flags) { return CreateTempoStream(chan, flags); }

BOOL BASS_FX_TempoSet(DWORD chan, float tempo, float rate, float pitch) { return SetTempo(chan, tempo, rate, pitch); }

HSTREAM BASS_FX_ReverseCreate(DWORD chan, float dec_block, DWORD flags) {
    return CreateReverseStream(chan, dec_block, flags);
}

BOOL BASS_FX_DSP_Set(DWORD handle, int dsp, int priority) {
    BASS_CHANNELINFO info {};
    if (!IsEqualiserCall(handle, dsp, info)) return FALSE;
    auto* eq = static_cast<Equaliser*>(TAVORA_ChannelFindDSP(handle, kPeakEqKind));
    if (!eq) {
        eq = new Equaliser;
        eq->channelRate = info.freq;
        if (!TAVORA_ChannelAddDSP(handle, kPeakEqKind, priority, ProcessEq, DestroyEq, eq)) {
            delete eq;
            return FALSE;
        }
    }
    std::lock_guard lock(eq->mutex);
    Band band;
    band.params.band = static_cast<int>(eq->bands.size());
    band.params.freq = info.freq;
    band.params.bandwidth = 1.0f;
    band.params.center = 1000.0f;
    eq->bands.push_back(band);
    TAVORA_SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_FX_DSP_Remove(DWORD handle, int dsp) {
    BASS_CHANNELINFO info {};
    if (!IsEqualiserCall(handle, dsp, info)) return FALSE;
    TAVORA_ChannelRemoveDSPKind(handle, kPeakEqKind);
    TAVORA_SetError(BASS_OK);
    return TRUE;
}

static Equaliser* FindEq(DWORD handle, int dsp, const void* params) {
    BASS_CHANNELINFO info {};
    if (!IsEqualiserCall(handle, dsp, info)) return nullptr;
    auto* eq = static_cast<Equaliser*>(TAVORA_ChannelFindDSP(handle, kPeakEqKind));
    if (!eq || !params) {
        TAVORA_SetError(eq ? BASS_ERROR_ILLPARAM : BASS_ERROR_NOTAVAIL);
        return nullptr;
    }
    return eq;
}

BOOL BASS_FX_DSP_GetParameters(DWORD handle, int dsp, void* params) {
    Equaliser* eq = FindEq(handle, dsp, params);
    if (!eq) return FALSE;
    auto* out = static_cast<BASS_FX_PEAKEQ_BAND*>(params);
    std::lock_guard lock(eq->mutex);
    if (out->band < 0 || out->band >= static_cast<int>(eq->bands.size())) {
        TAVORA_SetError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    *out = eq->bands[static_cast<size_t>(out->band)].params;
    TAVORA_SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_FX_DSP_SetParameters(DWORD handle, int dsp, void* params) {
    Equaliser* eq = FindEq(handle, dsp, params);
    if (!eq) return FALSE;
    const auto* in = static_cast<const BASS_FX_PEAKEQ_BAND*>(params);
    std::lock_guard lock(eq->mutex);
    if (in->band < 0 || in->band >= static_cast<int>(eq->bands.size())) {
        TAVORA_SetError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    Band& band = eq->bands[static_cast<size_t>(in->band)];
    band.params = *in;
    Configure(band, eq->channelRate);
    TAVORA_SetError(BASS_OK);
    return TRUE;
}

}  // extern "C"
