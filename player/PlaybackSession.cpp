#include "PlaybackSession.h"

#include <QThread>

#include "AudioLibrary.h"
#include "PlaybackState.h"

namespace tavora {

namespace {
constexpr int kPan = -101;  // keep the pan as it is
}  // namespace

bool PlaybackSession::EngineReady() const { return library_.Bass().BASS_ChannelPlay != nullptr; }

bool PlaybackSession::InitOutput(void* window) {
    const BassFunctions& b = library_.Bass();
    if (!b.BASS_Init) return false;
    if (!b.BASS_Init(1, 44100, 0, window, nullptr)) return false;
    outputReady_ = true;
    return true;
}

void PlaybackSession::FreeOutput() {
    Free();
    if (outputReady_ && library_.Bass().BASS_Free) library_.Bass().BASS_Free();
    outputReady_ = false;
}

int PlaybackSession::LastError() const {
    return library_.Bass().BASS_ErrorGetCode ? library_.Bass().BASS_ErrorGetCode() : 0;
}

HSTREAM PlaybackSession::Handle() const { return state_.channelHandle; }

void PlaybackSession::Adopt(HSTREAM stream) {
    if (stream == state_.channelHandle) return;
    Free();
    state_.channelHandle = stream;
}

void PlaybackSession::Free() {
    if (state_.channelHandle && library_.Bass().BASS_StreamFree) library_.Bass().BASS_StreamFree(state_.channelHandle);
    state_.channelHandle = 0;
}

bool PlaybackSession::WrapInTempo(int* error) {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle) return false;
    const HSTREAM tempo = b.BASS_FX_TempoCreate ? b.BASS_FX_TempoCreate(state_.channelHandle, kTempoFlags) : 0;
    if (!tempo) {
        if (error) *error = LastError();
        // The wrapper did not take the source over: it is still ours to free.
        Free();
        return false;
    }
    state_.channelHandle = tempo;
    return true;
}

void PlaybackSession::FadeOut() {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !EngineReady()) return;
    // A paused or stopped channel has nothing left to fade.
    if (b.BASS_ChannelIsActive(state_.channelHandle) != BASS_ACTIVE_PLAYING) return;
    if (std::chrono::steady_clock::now() - playingSince_ < std::chrono::milliseconds(kFadeMs)) return;
    b.BASS_ChannelSlideAttributes(state_.channelHandle, -1, 0, kPan, kFadeMs);
    QThread::msleep(kFadeMs);
}

bool PlaybackSession::Play(bool restart) {
    if (!state_.channelHandle || !EngineReady()) return false;
    if (!library_.Bass().BASS_ChannelPlay(state_.channelHandle, restart ? TRUE : FALSE)) return false;
    playingSince_ = std::chrono::steady_clock::now();
    return true;
}

void PlaybackSession::Pause() {
    if (state_.channelHandle && EngineReady()) library_.Bass().BASS_ChannelStop(state_.channelHandle);
}

void PlaybackSession::SetVolumePercent(int percent) {
    if (!state_.channelHandle || !EngineReady()) return;
    library_.Bass().BASS_ChannelSetAttributes(state_.channelHandle, 0, percent, kPan);
}

bool PlaybackSession::IsPlayingNow() const {
    if (!state_.channelHandle || !EngineReady()) return false;
    return library_.Bass().BASS_ChannelIsActive(state_.channelHandle) == BASS_ACTIVE_PLAYING;
}

QWORD PlaybackSession::PositionBytes() const {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_ChannelGetPosition) return static_cast<QWORD>(-1);
    return b.BASS_ChannelGetPosition(state_.channelHandle);
}

QWORD PlaybackSession::LengthBytes() const {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_StreamGetLength) return static_cast<QWORD>(-1);
    return b.BASS_StreamGetLength(state_.channelHandle);
}

double PlaybackSession::PositionSeconds() const {
    const QWORD pos = PositionBytes();
    if (pos == static_cast<QWORD>(-1)) return 0;
    return library_.Bass().BASS_ChannelBytes2Seconds(state_.channelHandle, pos);
}

double PlaybackSession::LengthSeconds() const {
    const QWORD len = LengthBytes();
    if (len == static_cast<QWORD>(-1)) return 0;
    return library_.Bass().BASS_ChannelBytes2Seconds(state_.channelHandle, len);
}

void PlaybackSession::SeekSeconds(double seconds, bool secondsForm) {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_ChannelSetPosition) return;
    const QWORD pos = secondsForm ? BASS_POS_SECONDS_FORM(static_cast<long>(seconds))
                                  : b.BASS_ChannelSeconds2Bytes(state_.channelHandle, static_cast<float>(seconds));
    b.BASS_ChannelSetPosition(state_.channelHandle, pos);
}

BASS_CHANNELINFO PlaybackSession::Info() const {
    BASS_CHANNELINFO info{};
    if (state_.channelHandle && library_.Bass().BASS_ChannelGetInfo)
        library_.Bass().BASS_ChannelGetInfo(state_.channelHandle, &info);
    return info;
}

const char* PlaybackSession::Tags(DWORD kind) const {
    if (!state_.channelHandle || !library_.Bass().BASS_StreamGetTags) return nullptr;
    return library_.Bass().BASS_StreamGetTags(state_.channelHandle, kind);
}

DWORD PlaybackSession::FilePosition(DWORD mode) const {
    if (!state_.channelHandle || !library_.Bass().BASS_StreamGetFilePosition) return static_cast<DWORD>(-1);
    return library_.Bass().BASS_StreamGetFilePosition(state_.channelHandle, mode);
}

}  // namespace tavora
