#pragma once
// The one playing stream: the only owner of the channel handle and the only user of the
// engine table for playback (output, open for playing, tempo wrapper, start, pause,
// seek, volume, fade, stop, free). The handle is mirrored into PlaybackState's
// channelHandle, which the skinned windows read when they paint; nothing else writes it.
//
// A stream adopted by the session is the session's to free: Free() frees it, and so does
// adopting another. A failed tempo wrap frees the source and leaves no stream.
//
// Fades block the calling (UI) thread: a 500 ms slide and a 500 ms wait before a stream
// is replaced or stopped. That is deliberate: nothing else may touch the stream meanwhile.
// A stream started less than a fade's length ago is cut instead, so a burst of track
// changes or stops (any program can send them) costs one fade, not one each.
//
// Threading: UI thread only.

#include <chrono>
#include <string>

#include "tavora/bass_api.h"

namespace tavora {

class AudioLibrary;
struct PlaybackState;

class PlaybackSession {
public:
    static constexpr DWORD kTempoFlags = BASS_FX_FREESOURCE | BASS_SAMPLE_LOOP;  // 0x10004
    static constexpr int kFadeMs = 500;

    PlaybackSession(AudioLibrary& library, PlaybackState& state) : library_(library), state_(state) {}

    // Sound output on device 1 for `window`; false when it cannot start.
    bool InitOutput(void* window);
    void FreeOutput();
    // The engine's error code of the last failed call on this thread (0 without one).
    int LastError() const;

    HSTREAM Handle() const;
    bool HasStream() const { return Handle() != 0; }
    // Takes `stream` as the playing stream, freeing the one before.
    void Adopt(HSTREAM stream);
    void Free();
    // Wraps the stream into a tempo stream that owns it. On failure the source is freed,
    // the session holds no stream and `error` gets the engine's error code.
    bool WrapInTempo(int* error);

    // Slides the volume to 0 and waits (only while the channel really plays, and has for
    // at least kFadeMs).
    void FadeOut();
    bool Play(bool restart);
    void Pause();
    // Volume in percent (0..100), pan kept.
    void SetVolumePercent(int percent);
    bool IsPlayingNow() const;

    QWORD PositionBytes() const;
    QWORD LengthBytes() const;  // (QWORD)-1 when the stream has no length
    double PositionSeconds() const;
    double LengthSeconds() const;
    void SeekSeconds(double seconds, bool secondsForm);
    BASS_CHANNELINFO Info() const;
    // Tags of an address stream (BASS_TAG_ICY, BASS_TAG_META), nullptr when none.
    const char* Tags(DWORD kind) const;
    // File positions of an address stream, (DWORD)-1 when unknown.
    DWORD FilePosition(DWORD mode) const;

    const AudioLibrary& library() const { return library_; }

private:
    bool EngineReady() const;

    std::chrono::steady_clock::time_point playingSince_{};
    AudioLibrary& library_;
    PlaybackState& state_;
    bool outputReady_ = false;
};

}  // namespace tavora
