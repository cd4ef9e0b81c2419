#pragma once
// One stream channel: its source, its DSP stages, its volume (with slides), and the
// part of the playback chain that brings it to the output's rate and stereo.
//
// Threading: every member is used with the engine lock held.

#include <cstdint>
#include <memory>
#include <vector>

#include "Source.h"
#include "tavora/engine_ext.h"

struct SwrContext;

namespace tavora::audio {

struct DspStage {
    HDSP id = 0;
    int kind = 0;
    int priority = 0;
    TAVORA_DSPPROC proc = nullptr;
    TAVORA_DSPFREE destroy = nullptr;
    void* user = nullptr;
};

class Channel {
public:
    Channel(DWORD handle, DWORD flags, std::unique_ptr<Source> source);
    ~Channel();

    DWORD Handle() const { return handle_; }
    DWORD Flags() const { return flags_; }
    bool IsDecode() const { return (flags_ & BASS_STREAM_DECODE) != 0; }
    Source& GetSource() { return *source_; }
    const Source& GetSource() const { return *source_; }

    // Decoded, looped (BASS_SAMPLE_LOOP) and DSP-processed frames in the channel's format.
    size_t ReadProcessed(float* out, size_t frames);
    bool Seek(uint64_t frame);
    // The frame a listener hears now (the decode position less what waits for output).
    uint64_t FramePosition() const;

    // Playback.
    bool playing = false;
    bool stalled = false;
    bool ended = false;
    // Adds this channel's share of the next frames of output (stereo at outputRate).
    void MixInto(float* mix, size_t frames, int outputRate);

    // Volume 0..1 with an optional slide measured in output frames.
    float volume = 1.0f;
    void StartSlide(float target, uint64_t frames);
    float SlideTarget() const { return sliding_ ? slideTo_ : volume; }

    // DSP stages, run in priority order (higher first, then in order of addition).
    HDSP AddDsp(const DspStage& stage);
    bool RemoveDsp(HDSP id);
    bool RemoveDspKind(int kind);
    void* FindDsp(int kind) const;

    // The last 1024 frames sent to the output, mixed to mono (for the spectrum).
    void RecentMono(float* out, size_t count) const;

private:
    void RunDsp(float* buffer, size_t frames);
    bool FillOutputQueue(size_t frames, int outputRate);

    DWORD handle_;
    DWORD flags_;
    std::unique_ptr<Source> source_;
    std::vector<DspStage> dsp_;
    static HDSP nextDsp_;

    SwrContext* swr_ = nullptr;
    int swrRate_ = 0;
    std::vector<float> queue_;  // converted stereo frames waiting for the output
    size_t queueStart_ = 0;     // in samples
    std::vector<float> scratch_;
    std::vector<float> stereo_;

    bool sliding_ = false;
    float slideFrom_ = 0, slideTo_ = 0;
    uint64_t slideDone_ = 0, slideTotal_ = 0;

    static constexpr size_t kRecent = 1024;
    float recent_[kRecent] = {};
    size_t recentWrite_ = 0;
};

}  // namespace tavora::audio
