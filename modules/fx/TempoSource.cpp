// Tempo and pitch through SoundTouch. At tempo 0, pitch 0 and the source's own rate the
// samples pass through untouched (SoundTouch is bypassed, not merely set to 1.0).

#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <vector>

#include "ForeignStream.h"
#include "FxSources.h"

namespace tavora::audio {
namespace {

struct Tempo;
std::mutex g_registryMutex;
std::map<DWORD, Tempo*> g_tempos;  // stream handle -> its state, for TempoSet

struct Tempo {
    DWORD source = 0;
    bool freeSource = false;
    int rate = 0, chans = 0;
    std::mutex mutex;
    soundtouch::SoundTouch touch;
    bool bypass = true;
    bool sourceEnded = false;
    double ratio = 1.0;  // source frames per output frame
    // Settings from TempoSet, applied by the next read (on the thread that holds
    // bass.so's lock, so that no call into bass.so is made under this object's lock
    // from another thread).
    bool pending = false;
    float tempo = 0, pitch = 0, rateChange = 0;
    std::vector<float> block;

    ~Tempo() {
        {
            std::lock_guard lock(g_registryMutex);
            for (auto it = g_tempos.begin(); it != g_tempos.end(); ++it)
                if (it->second == this) {
                    g_tempos.erase(it);
                    break;
                }
        }
        if (freeSource) BASS_StreamFree(source);
    }

    // Frames taken from the source but not yet handed out.
    double Buffered() {
        if (bypass) return 0;
        return touch.numUnprocessedSamples() + touch.numSamples() * ratio;
    }

    void ApplyPending() {
        if (!pending) return;
        pending = false;
        const bool passThrough = tempo == 0 && pitch == 0 && rateChange == 0;
        if (passThrough && !bypass) {
            // Back to pass-through: continue from what has been heard so far.
            const QWORD position = TAVORA_ChannelFramePosition(source);
            const auto back = static_cast<QWORD>(std::llround(Buffered()));
            touch.clear();
            TAVORA_ChannelSeekFrame(source, position > back ? position - back : 0);
        }
        bypass = passThrough;
        touch.setTempoChange(tempo);
        touch.setPitchSemiTones(pitch);
        touch.setRateChange(rateChange);
        ratio = (1.0 + tempo / 100.0) * (1.0 + rateChange / 100.0);
    }

    DWORD Read(float* out, DWORD frames) {
        std::lock_guard lock(mutex);
        ApplyPending();
        if (bypass) return TAVORA_ChannelReadFloat(source, out, frames);
        const DWORD chunk = 1024;
        block.resize(static_cast<size_t>(chunk) * chans);
        while (touch.numSamples() < frames && !sourceEnded) {
            const DWORD got = TAVORA_ChannelReadFloat(source, block.data(), chunk);
            if (got == 0) {
                touch.flush();
                sourceEnded = true;
                break;
            }
            touch.putSamples(block.data(), got);
        }
        return touch.receiveSamples(out, frames);
    }

    BOOL Seek(QWORD frame) {
        std::lock_guard lock(mutex);
        touch.clear();
        sourceEnded = false;
        return TAVORA_ChannelSeekFrame(source, frame);
    }

    QWORD Position() {
        std::lock_guard lock(mutex);
        const QWORD position = TAVORA_ChannelFramePosition(source);
        const auto back = static_cast<QWORD>(std::llround(Buffered()));
        return position > back ? position - back : 0;
    }

    QWORD Length() const { return TAVORA_ChannelFrameLength(source); }
};

}  // namespace

HSTREAM CreateTempoStream(DWORD source, DWORD flags) {
    BASS_CHANNELINFO info {};
    if (!BASS_ChannelGetInfo(source, &info)) return 0;
    if (!(info.flags & BASS_STREAM_DECODE)) {
        TAVORA_SetError(BASS_ERROR_DECODE);
        return 0;
    }
    Tempo* t = nullptr;
    try {
        t = new Tempo;
        t->source = source;
        t->rate = static_cast<int>(info.freq);
        t->chans = static_cast<int>(info.chans);
        t->touch.setSampleRate(info.freq);
        t->touch.setChannels(info.chans);
    } catch (const std::exception&) {  // out of memory, or a channel count SoundTouch refuses
        delete t;
        TAVORA_SetError(BASS_ERROR_MEM);
        return 0;
    }
    // A failed creation destroys t at once; the source stays the caller's until the
    // wrapper exists, so only then does the wrapper take it over.
    const HSTREAM stream = CreateForeignStream(t, info.freq, info.chans, info.ctype, flags & ~BASS_FX_FREESOURCE);
    if (!stream) return 0;  // the error is set by bass.so
    std::lock_guard lock(g_registryMutex);
    t->freeSource = (flags & BASS_FX_FREESOURCE) != 0;
    g_tempos[stream] = t;
    return stream;
}

BOOL SetTempo(DWORD stream, float tempo, float rate, float pitch) {
    std::lock_guard registry(g_registryMutex);
    auto it = g_tempos.find(stream);
    if (it == g_tempos.end() || stream == 0) {
        TAVORA_SetError(BASS_ERROR_HANDLE);
        return FALSE;
    }
    Tempo& t = *it->second;
    if (!std::isfinite(tempo) || !std::isfinite(rate) || !std::isfinite(pitch)) {
        TAVORA_SetError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    std::lock_guard lock(t.mutex);
    tempo = std::clamp(tempo, -90.0f, 400.0f);
    pitch = std::clamp(pitch, -60.0f, 60.0f);
    t.tempo = tempo;
    t.pitch = pitch;
    t.rateChange = rate > 0 ? (rate / static_cast<float>(t.rate) - 1.0f) * 100.0f : 0.0f;
    t.pending = true;
    TAVORA_SetError(BASS_OK);
    return TRUE;
}

}  // namespace tavora::audio
