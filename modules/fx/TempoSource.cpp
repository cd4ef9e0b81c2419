// Tempo and pitch through SoundTouch. At tempo 0, pitch 0 and the source's own rate the
// samples pass through untouched (SoundTouch is bypassed, not merely set to 1.0).

#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "FxSources.h"

namespace tavora::audio {
namespace {

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
};

std::mutex g_registryMutex;
std::map<DWORD, Tempo*> g_tempos;  // stream handle -> its state, for TempoSet

// Frames taken from the source but not yet handed out.
double Buffered(Tempo& t) {
    if (t.bypass) return 0;
    return t.touch.numUnprocessedSamples() + t.touch.numSamples() * t.ratio;
}

void ApplyPending(Tempo& t) {
    if (!t.pending) return;
    t.pending = false;
    const bool bypass = t.tempo == 0 && t.pitch == 0 && t.rateChange == 0;
    if (bypass && !t.bypass) {
        // Back to pass-through: continue from what has been heard so far.
        const QWORD position = TAVORA_ChannelFramePosition(t.source);
        const auto back = static_cast<QWORD>(std::llround(Buffered(t)));
        t.touch.clear();
        TAVORA_ChannelSeekFrame(t.source, position > back ? position - back : 0);
    }
    t.bypass = bypass;
    t.touch.setTempoChange(t.tempo);
    t.touch.setPitchSemiTones(t.pitch);
    t.touch.setRateChange(t.rateChange);
    t.ratio = (1.0 + t.tempo / 100.0) * (1.0 + t.rateChange / 100.0);
}

DWORD Read(void* user, float* out, DWORD frames) {
    auto& t = *static_cast<Tempo*>(user);
    std::lock_guard lock(t.mutex);
    ApplyPending(t);
    if (t.bypass) return TAVORA_ChannelReadFloat(t.source, out, frames);
    const DWORD chunk = 1024;
    t.block.resize(static_cast<size_t>(chunk) * t.chans);
    while (t.touch.numSamples() < frames && !t.sourceEnded) {
        const DWORD got = TAVORA_ChannelReadFloat(t.source, t.block.data(), chunk);
        if (got == 0) {
            t.touch.flush();
            t.sourceEnded = true;
            break;
        }
        t.touch.putSamples(t.block.data(), got);
    }
    return t.touch.receiveSamples(out, frames);
}

BOOL Seek(void* user, QWORD frame) {
    auto& t = *static_cast<Tempo*>(user);
    std::lock_guard lock(t.mutex);
    t.touch.clear();
    t.sourceEnded = false;
    return TAVORA_ChannelSeekFrame(t.source, frame);
}

QWORD Position(void* user) {
    auto& t = *static_cast<Tempo*>(user);
    std::lock_guard lock(t.mutex);
    const QWORD position = TAVORA_ChannelFramePosition(t.source);
    const auto back = static_cast<QWORD>(std::llround(Buffered(t)));
    return position > back ? position - back : 0;
}

QWORD Length(void* user) { return TAVORA_ChannelFrameLength(static_cast<Tempo*>(user)->source); }

void Destroy(void* user) {
    auto* t = static_cast<Tempo*>(user);
    {
        std::lock_guard lock(g_registryMutex);
        for (auto it = g_tempos.begin(); it != g_tempos.end(); ++it)
            if (it->second == t) {
                g_tempos.erase(it);
                break;
            }
    }
    if (t->freeSource) BASS_StreamFree(t->source);
    delete t;
}

}  // namespace

HSTREAM CreateTempoStream(DWORD source, DWORD flags) {
    BASS_CHANNELINFO info {};
    if (!BASS_ChannelGetInfo(source, &info)) return 0;
    if (!(info.flags & BASS_STREAM_DECODE)) {
        TAVORA_SetError(BASS_ERROR_DECODE);
        return 0;
    }
    auto* t = new Tempo;
    t->source = source;
    t->freeSource = (flags & BASS_FX_FREESOURCE) != 0;
    t->rate = static_cast<int>(info.freq);
    t->chans = static_cast<int>(info.chans);
    t->touch.setSampleRate(info.freq);
    t->touch.setChannels(info.chans);
    TAVORA_SOURCE s {};
    s.freq = info.freq;
    s.chans = info.chans;
    s.ctype = info.ctype;
    s.read = Read;
    s.seek = Seek;
    s.position = Position;
    s.length = Length;
    s.destroy = Destroy;
    s.user = t;
    // Registered before the stream exists so that a failed creation (which destroys
    // the source at once) finds and removes it.
    {
        std::lock_guard lock(g_registryMutex);
        g_tempos[0] = t;
    }
    const HSTREAM stream = TAVORA_StreamCreateSource(&s, flags & ~BASS_FX_FREESOURCE);
    std::lock_guard lock(g_registryMutex);
    g_tempos.erase(0);
    if (stream) g_tempos[stream] = t;
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
