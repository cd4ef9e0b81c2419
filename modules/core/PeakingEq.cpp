#include "PeakingEq.h"

#include <algorithm>
#include <cmath>

namespace tavora::audio {

void PeakingEq::Configure(double rate, double center, double gain, double bandwidth, double q) {
    const bool wasBypassed = bypass_;
    bypass_ = !(rate > 0) || !(center > 0) || center >= rate / 2 || !std::isfinite(gain) || gain == 0;
    if (bypass_) return;
    gain = std::clamp(gain, -30.0, 30.0);
    const double a = std::pow(10.0, gain / 40.0);
    const double w0 = 2 * M_PI * center / rate;
    const double sinW0 = std::sin(w0), cosW0 = std::cos(w0);
    double alpha;
    if (q > 0 && std::isfinite(q)) alpha = sinW0 / (2 * q);
    else {
        const double bw = bandwidth > 0 && std::isfinite(bandwidth) ? std::min(bandwidth, 8.0) : 1.0;
        alpha = sinW0 * std::sinh(std::log(2.0) / 2 * bw * w0 / sinW0);
    }
    const double a0 = 1 + alpha / a;
    b0_ = (1 + alpha * a) / a0;
    b1_ = -2 * cosW0 / a0;
    b2_ = (1 - alpha * a) / a0;
    a1_ = -2 * cosW0 / a0;
    a2_ = (1 - alpha / a) / a0;
    if (wasBypassed) z1_.fill(0), z2_.fill(0);
}

void PeakingEq::Process(float* interleaved, size_t frames, int channels) {
    if (bypass_) return;
    channels = std::min(channels, kMaxChannels);
    const int stride = channels;
    for (int c = 0; c < channels; ++c) {
        double z1 = z1_[c], z2 = z2_[c];
        float* p = interleaved + c;
        for (size_t i = 0; i < frames; ++i, p += stride) {
            const double x = *p;
            const double y = b0_ * x + z1;
            z1 = b1_ * x - a1_ * y + z2;
            z2 = b2_ * x - a2_ * y;
            *p = static_cast<float>(y);
        }
        // Denormals would make a quiet tail very slow.
        z1_[c] = std::abs(z1) < 1e-25 ? 0 : z1;
        z2_[c] = std::abs(z2) < 1e-25 ? 0 : z2;
    }
}

namespace {

typedef double Stereo __attribute__((vector_size(16)));  // left and right side by side

struct Coefficients {
    Stereo b0, b1, b2, a1, a2;
};

// N bands in a wavefront: at step t band k works on frame t - k, so within one step the
// N bands are independent of each other and their feedback paths overlap. States stay in
// registers for the whole block.
template <int N>
void Wavefront(const Coefficients* c, Stereo* z1s, Stereo* z2s, float* x, size_t frames) {
    Stereo z1[N], z2[N], in[N];
    for (int k = 0; k < N; ++k) z1[k] = z1s[k], z2[k] = z2s[k], in[k] = Stereo {0, 0};
    auto step = [&](int k) {
        const Stereo v = in[k];
        const Stereo y = c[k].b0 * v + z1[k];
        z1[k] = c[k].b1 * v - c[k].a1 * y + z2[k];
        z2[k] = c[k].b2 * v - c[k].a2 * y;
        return y;
    };
    const size_t total = frames + N - 1;
    for (size_t t = 0; t < total; ++t) {
        if (t < frames) in[0] = Stereo {x[2 * t], x[2 * t + 1]};
        // Bands whose frame t - k lies inside the block, from the last one backwards so
        // that each hands its output to the next band for the following step.
        const int first = t >= frames ? static_cast<int>(t - frames + 1) : 0;
        const int last = t < static_cast<size_t>(N - 1) ? static_cast<int>(t) : N - 1;
        if (first == 0 && last == N - 1) {
            const Stereo out = step(N - 1);
            for (int k = N - 2; k >= 0; --k) in[k + 1] = step(k);
            x[2 * (t - (N - 1))] = static_cast<float>(out[0]);
            x[2 * (t - (N - 1)) + 1] = static_cast<float>(out[1]);
        } else {
            for (int k = last; k >= first; --k) {
                const Stereo y = step(k);
                if (k == N - 1) {
                    x[2 * (t - k)] = static_cast<float>(y[0]);
                    x[2 * (t - k) + 1] = static_cast<float>(y[1]);
                } else {
                    in[k + 1] = y;
                }
            }
        }
    }
    for (int k = 0; k < N; ++k) z1s[k] = z1[k], z2s[k] = z2[k];
}

}  // namespace

void PeakingEq::ProcessChain(PeakingEq* const* bands, size_t count, float* interleaved, size_t frames, int channels) {
    constexpr size_t kMaxWave = 12;
    PeakingEq* active[64];
    size_t n = 0;
    for (size_t i = 0; i < count && n < 64; ++i)
        if (!bands[i]->bypass_) active[n++] = bands[i];
    if (n == 0 || frames == 0) return;
    if (channels != 2) {
        for (size_t i = 0; i < n; ++i) active[i]->Process(interleaved, frames, channels);
        return;
    }
    for (size_t from = 0; from < n; from += kMaxWave) {
        const size_t m = std::min(kMaxWave, n - from);
        Coefficients c[kMaxWave];
        Stereo z1[kMaxWave], z2[kMaxWave];
        for (size_t i = 0; i < m; ++i) {
            const PeakingEq& b = *active[from + i];
            c[i] = {Stereo {b.b0_, b.b0_}, Stereo {b.b1_, b.b1_}, Stereo {b.b2_, b.b2_}, Stereo {b.a1_, b.a1_},
                    Stereo {b.a2_, b.a2_}};
            z1[i] = Stereo {b.z1_[0], b.z1_[1]};
            z2[i] = Stereo {b.z2_[0], b.z2_[1]};
        }
        switch (m) {
#define TAVORA_WAVE(k) case k: Wavefront<k>(c, z1, z2, interleaved, frames); break;
            TAVORA_WAVE(1) TAVORA_WAVE(2) TAVORA_WAVE(3) TAVORA_WAVE(4) TAVORA_WAVE(5) TAVORA_WAVE(6)
            TAVORA_WAVE(7) TAVORA_WAVE(8) TAVORA_WAVE(9) TAVORA_WAVE(10) TAVORA_WAVE(11) TAVORA_WAVE(12)
#undef TAVORA_WAVE
        }
        for (size_t i = 0; i < m; ++i) {
            PeakingEq& b = *active[from + i];
            for (int ch = 0; ch < 2; ++ch) {
                // Denormals would make a quiet tail very slow.
                b.z1_[ch] = std::abs(z1[i][ch]) < 1e-25 ? 0 : z1[i][ch];
                b.z2_[ch] = std::abs(z2[i][ch]) < 1e-25 ? 0 : z2[i][ch];
            }
        }
    }
}

}  // namespace tavora::audio
