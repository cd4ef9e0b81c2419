// The exported C entry points of bass.so. Each checks its arguments, takes the engine
// lock for as short a time as it can and reports failures through BASS_ErrorGetCode.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "DecoderFactory.h"
#include "Engine.h"
#include "Reverb.h"
#include "FftMagnitudes.h"
#include "PendingOpens.h"
#include "UrlSource.h"
#include "tavora/bass_api.h"
#include "tavora/engine_ext.h"

using namespace tavora::audio;

namespace {

constexpr QWORD kFail64 = static_cast<QWORD>(-1);

template <typename T>
T Fail(int code, T value) {
    SetError(code);
    return value;
}

// Finds a channel with the lock held; sets BASS_ERROR_HANDLE when it is unknown.
Channel* Lookup(DWORD handle) {
    Channel* channel = Engine::Get().Find(handle);
    if (!channel) SetError(BASS_ERROR_HANDLE);
    return channel;
}

QWORD BytesPerFrame(const Channel& channel) { return static_cast<QWORD>(channel.GetSource().Channels()) * 2; }

HSTREAM AddStream(std::unique_ptr<Source> source, DWORD flags) {
    const DWORD handle = Engine::Get().AddChannel(std::move(source), flags);
    if (!handle) return Fail(BASS_ERROR_INIT, 0u);
    SetError(BASS_OK);
    return handle;
}

}  // namespace

extern "C" {

DWORD BASS_GetVersion(void) { return BASS_VERSION_EXPECTED; }

int BASS_ErrorGetCode(void) { return LastError(); }

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) {
    int error = BASS_OK;
    if (!Engine::Get().Init(device, static_cast<int>(freq), error)) return Fail(error, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_Free(void) {
    // Opens on other threads would otherwise keep going (and fail) long after.
    CancelPendingOpens();
    if (!Engine::Get().Free()) return Fail(BASS_ERROR_INIT, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    if (!Engine::Get().Initialised()) return Fail(BASS_ERROR_INIT, 0u);
    if (!file) return Fail(BASS_ERROR_FILEOPEN, 0u);
    int error = BASS_ERROR_FILEFORM;
    std::unique_ptr<Decoder> decoder;  // opened outside the lock: may scan the file
    if (mem) {
        if (length == 0) return Fail(BASS_ERROR_ILLPARAM, 0u);
        decoder = OpenDecoder(std::make_unique<MemoryByteSource>(static_cast<const uint8_t*>(file) + offset, length),
                              error);
    } else {
        decoder = OpenFileDecoder(static_cast<const char*>(file), error);
    }
    if (!decoder) return Fail(error, 0u);
    return AddStream(std::make_unique<DecoderSource>(std::move(decoder)), flags);
}

HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc, void* user) {
    if (!Engine::Get().Initialised()) return Fail(BASS_ERROR_INIT, 0u);
    if (!url) return Fail(BASS_ERROR_FILEOPEN, 0u);
    int error = BASS_ERROR_FILEOPEN;
    auto source = OpenUrlSource(url, flags, error);
    if (!source) return Fail(error, 0u);
    return AddStream(std::move(source), flags);
}

int BASS_CancelPendingOpens(void) {
    SetError(BASS_OK);
    return CancelPendingOpens();
}

int TAVORA_OutputError(void) { return Engine::Get().OutputError(); }

HSTREAM TAVORA_StreamCreateSource(const TAVORA_SOURCE* source, DWORD flags) {
    if (!source || !source->read || source->freq == 0 || source->chans == 0 || source->chans > 8)
        return Fail(BASS_ERROR_ILLPARAM, 0u);
    auto wrapped = std::make_unique<ForeignSource>(*source);
    if (!Engine::Get().Initialised()) {
        wrapped.reset();  // its destroy callback releases what it owns
        return Fail(BASS_ERROR_INIT, 0u);
    }
    return AddStream(std::move(wrapped), flags);
}

BOOL BASS_StreamFree(HSTREAM handle) {
    if (!Engine::Get().FreeChannel(handle)) return Fail(BASS_ERROR_HANDLE, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return kFail64;
    const int64_t frames = channel->GetSource().Length();
    if (frames < 0) return Fail(BASS_ERROR_NOTAVAIL, kFail64);
    SetError(BASS_OK);
    return static_cast<QWORD>(frames) * BytesPerFrame(*channel);
}

const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return nullptr;
    const char* text = channel->GetSource().Tags(tags);
    SetError(text ? BASS_OK : BASS_ERROR_NOTAVAIL);
    return text;
}

DWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return static_cast<DWORD>(-1);
    const int64_t value = channel->GetSource().FilePosition(mode);
    if (value < 0) return Fail(BASS_ERROR_NOTAVAIL, static_cast<DWORD>(-1));
    SetError(BASS_OK);
    return static_cast<DWORD>(std::min<int64_t>(value, 0xFFFFFFFEll));
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    if (channel->IsDecode()) return Fail(BASS_ERROR_DECODE, FALSE);
    if (restart && !channel->GetSource().Live()) channel->Seek(0);
    else if (channel->ended && !channel->GetSource().Live()) channel->Seek(0);
    channel->ended = false;
    channel->playing = true;
    Engine::Get().NoteStarted();
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelStop(DWORD handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    channel->playing = false;
    channel->stalled = false;
    SetError(BASS_OK);
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return BASS_ACTIVE_STOPPED;
    SetError(BASS_OK);
    if (channel->IsDecode()) return channel->ended ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
    if (!channel->playing) return BASS_ACTIVE_STOPPED;
    return channel->stalled ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    // The playback rate always follows the source (0 = original, -1 = keep).
    if (volume >= 0) channel->StartSlide(static_cast<float>(std::min(volume, 100)) / 100.0f, 0);
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    if (freq) *freq = static_cast<DWORD>(channel->GetSource().Rate());
    if (volume) *volume = static_cast<DWORD>(std::lround(channel->volume * 100.0f));
    if (pan) *pan = 0;
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    if (volume >= 0) {
        const uint64_t frames = static_cast<uint64_t>(time) * static_cast<uint64_t>(Engine::Get().OutputRate()) / 1000;
        channel->StartSlide(static_cast<float>(std::min(volume, 100)) / 100.0f, frames);
    }
    SetError(BASS_OK);
    return TRUE;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return kFail64;
    SetError(BASS_OK);
    return channel->FramePosition() * BytesPerFrame(*channel);
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    const Source& source = channel->GetSource();
    uint64_t frame = pos / BytesPerFrame(*channel);
    if ((pos >> 16) == 0xFFFF) frame = (pos & 0xFFFF) * static_cast<uint64_t>(source.Rate());  // seconds form
    const int64_t length = source.Length();
    if (length >= 0 && frame > static_cast<uint64_t>(length)) return Fail(BASS_ERROR_POSITION, FALSE);
    if (!channel->Seek(frame)) return Fail(BASS_ERROR_NOTAVAIL, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return -1.0f;
    SetError(BASS_OK);
    return static_cast<float>(static_cast<double>(pos / BytesPerFrame(*channel)) / channel->GetSource().Rate());
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return kFail64;
    if (!(pos >= 0)) return Fail(BASS_ERROR_ILLPARAM, kFail64);
    SetError(BASS_OK);
    const auto frames = static_cast<QWORD>(std::llround(static_cast<double>(pos) * channel->GetSource().Rate()));
    return frames * BytesPerFrame(*channel);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    if (!info) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    info->freq = static_cast<DWORD>(channel->GetSource().Rate());
    info->chans = static_cast<DWORD>(channel->GetSource().Channels());
    info->flags = channel->Flags();
    info->ctype = channel->GetSource().ContentType();
    SetError(BASS_OK);
    return TRUE;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return static_cast<DWORD>(-1);
    if (!buffer) return Fail(BASS_ERROR_ILLPARAM, static_cast<DWORD>(-1));
    const int chans = channel->GetSource().Channels();
    if (length == BASS_DATA_FFT512) {
        float mono[512];
        if (channel->IsDecode()) {
            std::vector<float> frames(512 * static_cast<size_t>(chans), 0.0f);
            channel->ReadProcessed(frames.data(), 512);
            for (size_t i = 0; i < 512; ++i) {
                float sum = 0;
                for (int c = 0; c < chans; ++c) sum += frames[i * chans + c];
                mono[i] = sum / static_cast<float>(chans);
            }
        } else {
            channel->RecentMono(mono, 512);
        }
        Spectrum512(mono, static_cast<float*>(buffer));
        SetError(BASS_OK);
        return 256 * sizeof(float);
    }
    if (!channel->IsDecode()) return Fail(BASS_ERROR_NOTAVAIL, static_cast<DWORD>(-1));
    const bool asFloat = (length & BASS_DATA_FLOAT) || (channel->Flags() & BASS_SAMPLE_FLOAT);
    length &= ~(BASS_DATA_FLOAT | BASS_DATA_FFT512);
    const size_t sampleBytes = asFloat ? 4 : 2;
    const size_t frames = length / (sampleBytes * static_cast<size_t>(chans));
    // Floats are decoded straight into the caller's buffer; 16-bit samples go through
    // a float buffer of our own.
    std::vector<float> samples(asFloat ? 0 : frames * static_cast<size_t>(chans));
    float* target = asFloat ? static_cast<float*>(buffer) : samples.data();
    const size_t got = channel->ReadProcessed(target, frames);
    if (got == 0 && frames > 0) {
        channel->ended = true;
        return Fail(BASS_ERROR_EMPTY, static_cast<DWORD>(-1));
    }
    const size_t count = got * static_cast<size_t>(chans);
    if (!asFloat) {
        auto* out = static_cast<int16_t*>(buffer);
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<int16_t>(std::lrint(std::clamp(samples[i], -1.0f, 32767.0f / 32768.0f) * 32768.0f));
    }
    SetError(BASS_OK);
    return static_cast<DWORD>(count * sampleBytes);
}

HFX BASS_ChannelSetFX(DWORD handle, DWORD type, int priority) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return 0;
    if (type != BASS_FX_REVERB) return Fail(BASS_ERROR_ILLTYPE, 0u);
    DspStage stage;
    stage.kind = -static_cast<int>(type) - 1;  // built-in effects never collide with module DSP kinds
    stage.priority = priority;
    stage.user = new Reverb;
    stage.proc = [](void* user, float* buffer, DWORD frames, DWORD chans, DWORD freq) {
        static_cast<Reverb*>(user)->Process(buffer, frames, static_cast<int>(chans), static_cast<int>(freq));
    };
    stage.destroy = [](void* user) { delete static_cast<Reverb*>(user); };
    SetError(BASS_OK);
    return channel->AddDsp(stage);
}

BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel) return FALSE;
    if (!channel->RemoveDsp(fx)) return Fail(BASS_ERROR_HANDLE, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

// ---- for the sibling modules ----

DWORD TAVORA_ChannelReadFloat(DWORD handle, float* buffer, DWORD frames) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel || !buffer) return 0;
    return static_cast<DWORD>(channel->ReadProcessed(buffer, frames));
}

BOOL TAVORA_ChannelSeekFrame(DWORD handle, QWORD frame) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    return channel && channel->Seek(frame);
}

QWORD TAVORA_ChannelFramePosition(DWORD handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    return channel ? channel->FramePosition() : 0;
}

QWORD TAVORA_ChannelFrameLength(DWORD handle) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    const int64_t length = channel ? channel->GetSource().Length() : -1;
    return length < 0 ? kFail64 : static_cast<QWORD>(length);
}

HDSP TAVORA_ChannelAddDSP(DWORD handle, int kind, int priority, TAVORA_DSPPROC proc, TAVORA_DSPFREE destroy,
                          void* user) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    if (!channel || !proc) return 0;
    DspStage stage;
    stage.kind = kind;
    stage.priority = priority;
    stage.proc = proc;
    stage.destroy = destroy;
    stage.user = user;
    return channel->AddDsp(stage);
}

void* TAVORA_ChannelFindDSP(DWORD handle, int kind) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    return channel ? channel->FindDsp(kind) : nullptr;
}

BOOL TAVORA_ChannelRemoveDSPKind(DWORD handle, int kind) {
    std::lock_guard lock(Engine::Get().Mutex());
    Channel* channel = Lookup(handle);
    return channel && channel->RemoveDspKind(kind);
}

void TAVORA_SetError(int code) { SetError(code); }

}  // extern "C"
