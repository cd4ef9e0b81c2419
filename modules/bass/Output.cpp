#include "Output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

// Keeps a writer in step with the wall clock: sleeps until the frames written so far
// would have been heard.
class RealTimePace {
public:
    explicit RealTimePace(int rate) : rate_(rate), start_(std::chrono::steady_clock::now()) {}
    void Advance(size_t frames) {
        written_ += frames;
        const auto due = start_ + std::chrono::microseconds(static_cast<int64_t>(written_ * 1000000 / rate_));
        const auto now = std::chrono::steady_clock::now();
        if (due > now) std::this_thread::sleep_until(due);
        else if (now - due > std::chrono::milliseconds(200)) {
            // After a long stall (a suspended machine) start counting afresh instead of racing.
            start_ = now;
            written_ = 0;
        }
    }

private:
    int rate_;
    std::chrono::steady_clock::time_point start_;
    uint64_t written_ = 0;
};

class NullOutput final : public Output {
public:
    explicit NullOutput(int rate) : pace_(rate) {}
    void Write(const float*, size_t frames) override { pace_.Advance(frames); }

private:
    RealTimePace pace_;
};

// 16-bit stereo WAV; the header's sizes are brought up to date about once a second and
// when the output closes, so a reader sees a valid file while playback goes on.
class WavOutput final : public Output {
public:
    WavOutput(FILE* file, int rate) : file_(file), rate_(rate), pace_(rate) { WriteHeader(); }
    ~WavOutput() override {
        WriteHeader();
        std::fclose(file_);
    }
    void Write(const float* stereo, size_t frames) override {
        buffer_.resize(frames * 2);
        for (size_t i = 0; i < frames * 2; ++i) {
            const float v = std::clamp(stereo[i], -1.0f, 1.0f);
            buffer_[i] = static_cast<int16_t>(std::lrint(v * 32767.0f));
        }
        std::fwrite(buffer_.data(), sizeof(int16_t), buffer_.size(), file_);
        dataBytes_ += static_cast<uint32_t>(frames * 4);
        sinceHeader_ += frames;
        if (sinceHeader_ >= static_cast<size_t>(rate_)) {
            WriteHeader();
            sinceHeader_ = 0;
        }
        pace_.Advance(frames);
    }

private:
    void WriteHeader() {
        uint8_t h[44];
        auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(v >> (8 * i)); };
        auto put16 = [&](int at, uint16_t v) { h[at] = static_cast<uint8_t>(v); h[at + 1] = static_cast<uint8_t>(v >> 8); };
        std::memcpy(h, "RIFF", 4);
        put32(4, 36 + dataBytes_);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        put32(16, 16);
        put16(20, 1);
        put16(22, 2);
        put32(24, static_cast<uint32_t>(rate_));
        put32(28, static_cast<uint32_t>(rate_) * 4);
        put16(32, 4);
        put16(34, 16);
        std::memcpy(h + 36, "data", 4);
        put32(40, dataBytes_);
        const long here = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
        std::fwrite(h, 1, sizeof h, file_);
        if (here > 44) std::fseek(file_, here, SEEK_SET);
        std::fflush(file_);
    }

    FILE* file_;
    int rate_;
    RealTimePace pace_;
    uint32_t dataBytes_ = 0;
    size_t sinceHeader_ = 0;
    std::vector<int16_t> buffer_;
};

pa_simple* OpenPulseStream(int rate, int& err) {
    pa_sample_spec spec {};
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = static_cast<uint32_t>(rate);
    spec.channels = 2;
    pa_buffer_attr attr {};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(rate / 10 * 2 * sizeof(float));  // about 100 ms queued in the server
    attr.prebuf = 0;  // start at once: the playback thread writes without pause, silence included
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    return pa_simple_new(nullptr, "TavoraPlayer", PA_STREAM_PLAYBACK, nullptr, "Music", &spec, nullptr, &attr, &err);
}

// The server's own pace keeps playback in time while it is there (a write blocks until
// the server has room); without it the wall clock does.
class PulseOutput final : public Output {
public:
    PulseOutput(pa_simple* stream, int rate) : stream_(stream), rate_(rate), pace_(rate) {}
    ~PulseOutput() override {
        if (!stream_) return;
        // Closing the output drops what the server still holds, as freeing any channel does.
        int err = 0;
        pa_simple_flush(stream_, &err);
        pa_simple_free(stream_);
    }
    void Write(const float* stereo, size_t frames) override {
        if (stream_) {
            int err = 0;
            if (pa_simple_write(stream_, stereo, frames * 2 * sizeof(float), &err) == 0) return;
            Lose(err);
        }
        pace_.Advance(frames);
        if (std::chrono::steady_clock::now() >= nextAttempt_) Reconnect();
    }
    int Error() const override { return error_; }

private:
    void Lose(int err) {
        pa_simple_free(stream_);
        stream_ = nullptr;
        error_ = BASS_ERROR_DRIVER;
        std::fprintf(stderr, "TavoraPlayer: the sound server went away (%s); playing on without sound\n",
                     pa_strerror(err));
        pace_ = RealTimePace(rate_);
        nextAttempt_ = std::chrono::steady_clock::now() + kRetryInterval;
    }
    void Reconnect() {
        int err = 0;
        stream_ = OpenPulseStream(rate_, err);
        nextAttempt_ = std::chrono::steady_clock::now() + kRetryInterval;
        if (!stream_) return;
        error_ = BASS_OK;
        std::fprintf(stderr, "TavoraPlayer: the sound server is back\n");
    }

    static constexpr std::chrono::seconds kRetryInterval {1};
    pa_simple* stream_;
    int rate_;
    RealTimePace pace_;
    std::chrono::steady_clock::time_point nextAttempt_;
    std::atomic<int> error_ {BASS_OK};
};

std::unique_ptr<Output> OpenPulse(int rate, int& error) {
    int err = 0;
    pa_simple* stream = OpenPulseStream(rate, err);
    if (!stream) {
        error = BASS_ERROR_DRIVER;
        return nullptr;
    }
    return std::make_unique<PulseOutput>(stream, rate);
}

}  // namespace

std::unique_ptr<Output> CreateOutput(int rate, bool noSound, int& error) {
    if (noSound) return std::make_unique<NullOutput>(rate);
    const char* env = std::getenv("TAVORA_AUDIO_OUTPUT");
    const std::string choice = env ? env : "";
    if (choice.empty() || choice == "pulse") return OpenPulse(rate, error);
    if (choice == "null") return std::make_unique<NullOutput>(rate);
    if (choice.rfind("wav:", 0) == 0 && choice.size() > 4) {
        FILE* file = std::fopen(choice.c_str() + 4, "wb");
        if (!file) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        return std::make_unique<WavOutput>(file, rate);
    }
    error = BASS_ERROR_DEVICE;
    return nullptr;
}

}  // namespace tavora::audio
