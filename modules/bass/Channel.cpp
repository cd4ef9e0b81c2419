#include "Channel.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavora::audio {

HDSP Channel::nextDsp_ = 1;

Channel::Channel(DWORD handle, DWORD flags, std::unique_ptr<Source> source)
    : handle_(handle), flags_(flags), source_(std::move(source)) {}

Channel::~Channel() {
    for (auto& stage : dsp_)
        if (stage.destroy) stage.destroy(stage.user);
    swr_free(&swr_);
    // The source goes last: a foreign source may free channels of its own.
    source_.reset();
}

size_t Channel::ReadProcessed(float* out, size_t frames) {
    size_t done = 0;
    int restarts = 0;
    while (done < frames) {
        const size_t got = source_->Read(out + done * source_->Channels(), frames - done);
        done += got;
        if (got > 0) continue;
        // Looping restarts at the beginning; a source that gives nothing even after a
        // restart (empty or broken) must not spin.
        if (!(flags_ & BASS_SAMPLE_LOOP) || source_->Live() || ++restarts > 2 || !source_->Seek(0)) break;
    }
    RunDsp(out, done);
    return done;
}

void Channel::RunDsp(float* buffer, size_t frames) {
    if (frames == 0) return;
    for (auto& stage : dsp_)
        stage.proc(stage.user, buffer, static_cast<DWORD>(frames), static_cast<DWORD>(source_->Channels()),
                   static_cast<DWORD>(source_->Rate()));
}

bool Channel::Seek(uint64_t frame) {
    if (!source_->Seek(frame)) return false;
    queue_.clear();
    queueStart_ = 0;
    if (swr_) {
        swr_free(&swr_);
        swrRate_ = 0;
    }
    ended = false;
    return true;
}

uint64_t Channel::FramePosition() const {
    uint64_t position = source_->Position();
    if (IsDecode()) return position;
    // Frames already decoded but not yet sent to the output are not heard yet.
    const double queued = static_cast<double>(queue_.size() - queueStart_) / 2.0;
    double pending = swrRate_ > 0 ? queued * source_->Rate() / swrRate_ : queued;
    if (swr_) pending += static_cast<double>(swr_get_delay(swr_, source_->Rate()));
    const auto back = static_cast<uint64_t>(std::llround(pending));
    // A reversed stream (or a wrapper of one) runs towards 0: what waits is behind us.
    if (source_->ContentType() == BASS_CTYPE_STREAM_REVERSE) {
        const int64_t length = source_->Length();
        return length >= 0 ? std::min<uint64_t>(position + back, static_cast<uint64_t>(length)) : position + back;
    }
    return position > back ? position - back : 0;
}

namespace {

// Brings any channel count to stereo: mono to both sides at full level, the usual
// WAVE order (front L/R, centre, LFE, back L/R, side L/R) folded down with the centre
// and surround channels at -3 dB and the LFE left out.
void ToStereo(const float* in, size_t frames, int chans, float* out) {
    if (chans == 1) {
        for (size_t i = 0; i < frames; ++i) out[2 * i] = out[2 * i + 1] = in[i];
        return;
    }
    if (chans == 2) {
        std::memcpy(out, in, frames * 2 * sizeof(float));
        return;
    }
    constexpr float kSide = 0.70710678f;
    const float scale = 1.0f / (1.0f + kSide * static_cast<float>(chans >= 5 ? 2 : 1));
    for (size_t i = 0; i < frames; ++i) {
        const float* f = in + i * static_cast<size_t>(chans);
        float l = f[0], r = f[1];
        if (chans >= 3) l += kSide * f[2], r += kSide * f[2];
        for (int c = 4; c < chans; ++c) (c % 2 == 0 ? l : r) += kSide * f[c];
        out[2 * i] = l * scale;
        out[2 * i + 1] = r * scale;
    }
}

}  // namespace

bool Channel::FillOutputQueue(size_t frames, int outputRate) {
    const int chans = source_->Channels();
    const int rate = source_->Rate();
    const bool direct = rate == outputRate;
    if (!direct && !swr_) {
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&swr_, &stereo, AV_SAMPLE_FMT_FLT, outputRate, &stereo, AV_SAMPLE_FMT_FLT, rate, 0,
                                nullptr) < 0 || swr_init(swr_) < 0) {
            swr_free(&swr_);
            return false;
        }
        swrRate_ = outputRate;
    }
    const size_t block = 1024;
    while ((queue_.size() - queueStart_) / 2 < frames) {
        if (queueStart_ > 0) {
            queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(queueStart_));
            queueStart_ = 0;
        }
        if (direct && chans == 2) {
            // The usual case: stereo at the output's rate is decoded straight into the queue.
            const size_t base = queue_.size();
            queue_.resize(base + block * 2);
            const size_t got = ReadProcessed(queue_.data() + base, block);
            queue_.resize(base + got * 2);
            if (got == 0) return false;
            continue;
        }
        scratch_.resize(block * chans);
        stereo_.resize(block * 2);
        const size_t got = ReadProcessed(scratch_.data(), block);
        if (got == 0) return false;
        ToStereo(scratch_.data(), got, chans, stereo_.data());
        if (direct) {
            queue_.insert(queue_.end(), stereo_.begin(), stereo_.begin() + static_cast<long>(got * 2));
        } else {
            const int room = swr_get_out_samples(swr_, static_cast<int>(got));
            const size_t base = queue_.size();
            queue_.resize(base + static_cast<size_t>(std::max(room, 0)) * 2);
            uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(queue_.data() + base)};
            const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(stereo_.data())};
            const int converted = swr_convert(swr_, outPlanes, room, inPlanes, static_cast<int>(got));
            queue_.resize(base + static_cast<size_t>(std::max(converted, 0)) * 2);
        }
    }
    return true;
}

void Channel::MixInto(float* mix, size_t frames, int outputRate) {
    if (!FillOutputQueue(frames, outputRate)) {
        if (source_->Live() && !source_->Ended()) stalled = true;
        else if (queue_.size() == queueStart_) {
            ended = true;
            playing = false;
        }
    } else {
        stalled = false;
    }
    const size_t available = std::min(frames, (queue_.size() - queueStart_) / 2);
    const float* in = queue_.data() + queueStart_;
    size_t i = 0;
    for (; sliding_ && i < available; ++i) {
        ++slideDone_;
        volume = slideFrom_ + (slideTo_ - slideFrom_) * static_cast<float>(slideDone_) / static_cast<float>(slideTotal_);
        if (slideDone_ >= slideTotal_) {
            volume = slideTo_;
            sliding_ = false;
        }
        mix[2 * i] += in[2 * i] * volume;
        mix[2 * i + 1] += in[2 * i + 1] * volume;
    }
    // At a steady volume the multiply runs over plain samples (in vectors).
    const float steady = volume;
    for (size_t k = 2 * i; k < 2 * available; ++k) mix[k] += in[k] * steady;
    // Only the last kRecent frames can stay in the spectrum's ring.
    for (size_t f = available > kRecent ? available - kRecent : 0; f < available;) {
        const size_t run = std::min(available - f, kRecent - recentWrite_);
        for (size_t k = 0; k < run; ++k) recent_[recentWrite_ + k] = 0.5f * (in[2 * (f + k)] + in[2 * (f + k) + 1]);
        recentWrite_ = (recentWrite_ + run) % kRecent;
        f += run;
    }
    queueStart_ += available * 2;
}

void Channel::StartSlide(float target, uint64_t frames) {
    if (frames == 0) {
        volume = target;
        sliding_ = false;
        return;
    }
    sliding_ = true;
    slideFrom_ = volume;
    slideTo_ = target;
    slideDone_ = 0;
    slideTotal_ = frames;
}

HDSP Channel::AddDsp(const DspStage& stage) {
    DspStage added = stage;
    added.id = nextDsp_++;
    auto at = std::find_if(dsp_.begin(), dsp_.end(), [&](const DspStage& s) { return s.priority < added.priority; });
    dsp_.insert(at, added);
    return added.id;
}

bool Channel::RemoveDsp(HDSP id) {
    auto it = std::find_if(dsp_.begin(), dsp_.end(), [&](const DspStage& s) { return s.id == id; });
    if (it == dsp_.end()) return false;
    DspStage gone = *it;
    dsp_.erase(it);
    if (gone.destroy) gone.destroy(gone.user);
    return true;
}

bool Channel::RemoveDspKind(int kind) {
    bool any = false;
    for (;;) {
        auto it = std::find_if(dsp_.begin(), dsp_.end(), [&](const DspStage& s) { return s.kind == kind; });
        if (it == dsp_.end()) return any;
        RemoveDsp(it->id);
        any = true;
    }
}

void* Channel::FindDsp(int kind) const {
    for (const auto& stage : dsp_)
        if (stage.kind == kind) return stage.user;
    return nullptr;
}

void Channel::RecentMono(float* out, size_t count) const {
    count = std::min(count, kRecent);
    size_t at = (recentWrite_ + kRecent - count) % kRecent;
    for (size_t i = 0; i < count; ++i, at = (at + 1) % kRecent) out[i] = recent_[at];
}

}  // namespace tavora::audio
