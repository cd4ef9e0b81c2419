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

// Two bands of stereo side by side: {band k left, band k right, band k+1 left, band k+1 right}.
typedef float Quad __attribute__((vector_size(16)));
typedef int Lanes __attribute__((vector_size(16)));

struct PairCoefficients {
    Quad b0, b1, b2, a1, a2;
};

// The bands run as a wavefront: at step t band k works on frame t - k, so within one
// step all bands are independent and two of them share one vector operation. Band k's
// output becomes band k+1's input at the next step. Everything indexes lanes with
// constants (or masks), so the compiler keeps the states in registers.
template <int N>  // bands
__attribute__((always_inline)) inline void Wavefront(const PairCoefficients* c, Quad* z1s, Quad* z2s, float* x, size_t frames) {
    constexpr int P = (N + 1) / 2;
    constexpr int kLast = N - 1;
    Quad z1[P], z2[P], in[P], out[P];
    Lanes band[P];
    for (int p = 0; p < P; ++p) {
        z1[p] = z1s[p], z2[p] = z2s[p], in[p] = Quad {0, 0, 0, 0};
        band[p] = Lanes {2 * p, 2 * p, 2 * p + 1, 2 * p + 1};
    }
    if (frames > 0) in[0] = Quad {x[0], x[1], 0, 0};
    const int count = static_cast<int>(frames);
    const int total = count + kLast;
    for (int t = 0; t < total; ++t) {
        // At the edges of the block some bands have no frame yet (or any more); their
        // states must stay as they are.
        const bool full = t >= kLast && t < count;
        for (int p = 0; p < P; ++p) {
            const Quad y = c[p].b0 * in[p] + z1[p];
            const Quad nz1 = c[p].b1 * in[p] - c[p].a1 * y + z2[p];
            const Quad nz2 = c[p].b2 * in[p] - c[p].a2 * y;
            if (full) {
                z1[p] = nz1;
                z2[p] = nz2;
            } else {
                const Lanes valid = (band[p] < N) & (band[p] <= t) & (t - band[p] < count);
                z1[p] = valid ? nz1 : z1[p];
                z2[p] = valid ? nz2 : z2[p];
            }
            out[p] = y;
        }
        if (t >= kLast) {
            x[2 * (t - kLast)] = out[kLast / 2][(kLast % 2) * 2];
            x[2 * (t - kLast) + 1] = out[kLast / 2][(kLast % 2) * 2 + 1];
        }
        // Hand each band's output to the next band: the lower half of a pair feeds its
        // upper half, the upper half feeds the lower half of the next pair.
        const int next = t + 1;
        const Quad fresh = next < count ? Quad {x[2 * next], x[2 * next + 1], 0, 0} : Quad {0, 0, 0, 0};
        for (int p = P - 1; p > 0; --p) in[p] = __builtin_shuffle(out[p - 1], out[p], Lanes {2, 3, 4, 5});
        in[0] = __builtin_shuffle(fresh, out[0], Lanes {0, 1, 4, 5});
    }
    for (int p = 0; p < P; ++p) z1s[p] = z1[p], z2s[p] = z2[p];
}

// Built twice: for any x86-64, and for processors with AVX2 and FMA (chosen when the
// library loads), where the multiply-adds take one instruction.
__attribute__((target_clones("default", "arch=x86-64-v3"))) void RunWavefront(int bands, const PairCoefficients* c,
                                                                             Quad* z1, Quad* z2, float* x, size_t frames) {
    switch (bands) {
#define TAVORA_WAVE(k) case k: Wavefront<k>(c, z1, z2, x, frames); break;
        TAVORA_WAVE(1) TAVORA_WAVE(2) TAVORA_WAVE(3) TAVORA_WAVE(4) TAVORA_WAVE(5) TAVORA_WAVE(6)
        TAVORA_WAVE(7) TAVORA_WAVE(8) TAVORA_WAVE(9) TAVORA_WAVE(10) TAVORA_WAVE(11) TAVORA_WAVE(12)
#undef TAVORA_WAVE
    }
}

}  // namespace

void PeakingEq::ProcessChain(PeakingEq* const* bands, size_t count, float* interleaved, size_t frames, int channels) {
    constexpr size_t kMaxPairs = 6;
    PeakingEq* active[64];
    size_t n = 0;
    for (size_t i = 0; i < count && n < 64; ++i)
        if (!bands[i]->bypass_) active[n++] = bands[i];
    if (n == 0 || frames == 0) return;
    if (channels != 2) {
        for (size_t i = 0; i < n; ++i) active[i]->Process(interleaved, frames, channels);
        return;
    }
    for (size_t from = 0; from < n; from += 2 * kMaxPairs) {
        const size_t m = std::min(2 * kMaxPairs, n - from);
        PairCoefficients c[kMaxPairs] = {};
        Quad z1[kMaxPairs] = {}, z2[kMaxPairs] = {};
        for (size_t i = 0; i < m; ++i) {
            const PeakingEq& b = *active[from + i];
            const size_t p = i / 2, lane = (i % 2) * 2;
            for (size_t ch = 0; ch < 2; ++ch) {
                c[p].b0[lane + ch] = static_cast<float>(b.b0_);
                c[p].b1[lane + ch] = static_cast<float>(b.b1_);
                c[p].b2[lane + ch] = static_cast<float>(b.b2_);
                c[p].a1[lane + ch] = static_cast<float>(b.a1_);
                c[p].a2[lane + ch] = static_cast<float>(b.a2_);
                z1[p][lane + ch] = static_cast<float>(b.z1_[ch]);
                z2[p][lane + ch] = static_cast<float>(b.z2_[ch]);
            }
        }
        RunWavefront(static_cast<int>(m), c, z1, z2, interleaved, frames);
        for (size_t i = 0; i < m; ++i) {
            PeakingEq& b = *active[from + i];
            const size_t p = i / 2, lane = (i % 2) * 2;
            for (size_t ch = 0; ch < 2; ++ch) {
                // Denormals would make a quiet tail very slow.
                const double s1 = z1[p][lane + ch], s2 = z2[p][lane + ch];
                b.z1_[ch] = std::abs(s1) < 1e-25 ? 0 : s1;
                b.z2_[ch] = std::abs(s2) < 1e-25 ? 0 : s2;
            }
        }
    }
}

}  // namespace tavora::audio
