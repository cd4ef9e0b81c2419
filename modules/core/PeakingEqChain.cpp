// The equaliser's bands over stereo sound, all bands in one pass.
//
// Each band is a biquad whose output feeds the next band. Run band after band, every
// sample waits for the band's previous one (two multiply-adds of latency), so the
// processor idles. Here the bands run as a wavefront instead: at step t band k works
// on frame t - k, so within one step all bands are independent and several share one
// vector operation (left and right of W/2 bands in a vector of W floats). Band k's
// output becomes band k+1's input at the next step. Lanes are indexed only by
// constants (or masks at the block's edges), so the states stay in registers.

#include <algorithm>
#include <cmath>

#include "PeakingEq.h"

namespace tavora::audio {
namespace {

// One band's coefficients and stereo state, in the precision the wavefront works in.
struct StereoBand {
    float b0, b1, b2, a1, a2;
    float z1[2], z2[2];
};

template <int W>
struct Vec {
    typedef float F __attribute__((vector_size(W * 4)));
    typedef int I __attribute__((vector_size(W * 4)));
};

// Shuffle masks handing each band's output to the next band: a vector's input is the
// last band of the vector below followed by its own bands but the last; the lowest
// vector takes the fresh frame instead.
template <int W>
struct Masks;
template <>
struct Masks<4> {
    static constexpr Vec<4>::I kShift {2, 3, 4, 5};
    static constexpr Vec<4>::I kFresh {0, 1, 4, 5};
};
template <>
struct Masks<8> {
    static constexpr Vec<8>::I kShift {6, 7, 8, 9, 10, 11, 12, 13};
    static constexpr Vec<8>::I kFresh {0, 1, 8, 9, 10, 11, 12, 13};
};
template <>
struct Masks<16> {
    static constexpr Vec<16>::I kShift {14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    static constexpr Vec<16>::I kFresh {0, 1, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
};

template <int W>
struct Coefficients {
    typename Vec<W>::F b0, b1, b2, a1, a2;
};

template <int N, int W>
struct Wave {
    using F = typename Vec<W>::F;
    using I = typename Vec<W>::I;
    static constexpr int kBandsPerVector = W / 2;
    static constexpr int P = (N + kBandsPerVector - 1) / kBandsPerVector;
    static constexpr int kLast = N - 1;

    const Coefficients<W>* c;
    F z1[P], z2[P], in[P], out[P];
    I band[P];
    float* x;
    int count;

    // One step of every band. Masked steps are those at the block's edges, where some
    // bands have no frame yet (or any more) and their states must stay as they are.
    template <bool kMasked>
    __attribute__((always_inline)) inline void Step(int t) {
        for (int p = 0; p < P; ++p) {
            // Written so that each line is one multiply-add and only one of them per
            // state waits for y.
            const F y = c[p].b0 * in[p] + z1[p];
            const F u1 = c[p].b1 * in[p] + z2[p];
            const F u2 = c[p].b2 * in[p];
            const F nz1 = u1 - c[p].a1 * y;
            const F nz2 = u2 - c[p].a2 * y;
            if constexpr (kMasked) {
                const I valid = (band[p] < N) & (band[p] <= t) & (t - band[p] < count);
                z1[p] = valid ? nz1 : z1[p];
                z2[p] = valid ? nz2 : z2[p];
            } else {
                z1[p] = nz1;
                z2[p] = nz2;
            }
            out[p] = y;
        }
        if (!kMasked || t >= kLast) {
            x[2 * (t - kLast)] = out[kLast / kBandsPerVector][(kLast % kBandsPerVector) * 2];
            x[2 * (t - kLast) + 1] = out[kLast / kBandsPerVector][(kLast % kBandsPerVector) * 2 + 1];
        }
        const int next = t + 1;
        F fresh {};
        if (!kMasked || next < count) fresh[0] = x[2 * next], fresh[1] = x[2 * next + 1];
        for (int p = P - 1; p > 0; --p) in[p] = __builtin_shuffle(out[p - 1], out[p], Masks<W>::kShift);
        in[0] = __builtin_shuffle(fresh, out[0], Masks<W>::kFresh);
    }

    __attribute__((always_inline)) inline void Run(StereoBand* bands, float* samples, size_t frames) {
        x = samples;
        count = static_cast<int>(frames);
        for (int p = 0; p < P; ++p) {
            z1[p] = F {}, z2[p] = F {}, in[p] = F {}, out[p] = F {};
            for (int b = 0; b < kBandsPerVector; ++b) {
                const int k = p * kBandsPerVector + b;
                band[p][2 * b] = band[p][2 * b + 1] = k;
            }
        }
        for (int k = 0; k < N; ++k) {
            const int p = k / kBandsPerVector, lane = (k % kBandsPerVector) * 2;
            for (int ch = 0; ch < 2; ++ch) {
                coefficients_[p].b0[lane + ch] = bands[k].b0;
                coefficients_[p].b1[lane + ch] = bands[k].b1;
                coefficients_[p].b2[lane + ch] = bands[k].b2;
                coefficients_[p].a1[lane + ch] = bands[k].a1;
                coefficients_[p].a2[lane + ch] = bands[k].a2;
                z1[p][lane + ch] = bands[k].z1[ch];
                z2[p][lane + ch] = bands[k].z2[ch];
            }
        }
        c = coefficients_;
        if (count > 0) in[0][0] = x[0], in[0][1] = x[1];
        const int total = count + kLast;
        int t = 0;
        // Masked until every band has a frame, unmasked while every band keeps one and
        // a fresh frame follows, masked again for the last frames.
        for (; t < total && !(t >= kLast && t + 1 < count); ++t) Step<true>(t);
        for (; t + 1 < count; ++t) Step<false>(t);
        for (; t < total; ++t) Step<true>(t);
        for (int k = 0; k < N; ++k) {
            const int p = k / kBandsPerVector, lane = (k % kBandsPerVector) * 2;
            for (int ch = 0; ch < 2; ++ch) {
                bands[k].z1[ch] = z1[p][lane + ch];
                bands[k].z2[ch] = z2[p][lane + ch];
            }
        }
    }

    Coefficients<W> coefficients_[P] {};
};

constexpr int kMaxWave = 12;  // bands in one wavefront; longer chains run in several

template <int W>
__attribute__((always_inline)) inline void RunBands(StereoBand* bands, int n, float* x, size_t frames) {
    switch (n) {
#define TAVORA_WAVE(k) case k: Wave<k, W>().Run(bands, x, frames); break;
        TAVORA_WAVE(1) TAVORA_WAVE(2) TAVORA_WAVE(3) TAVORA_WAVE(4) TAVORA_WAVE(5) TAVORA_WAVE(6)
        TAVORA_WAVE(7) TAVORA_WAVE(8) TAVORA_WAVE(9) TAVORA_WAVE(10) TAVORA_WAVE(11) TAVORA_WAVE(12)
#undef TAVORA_WAVE
    }
}

// Four floats (two bands) per vector on any x86-64; eight (four bands) where the
// processor has AVX2 and FMA, where each multiply-add is one instruction.
void RunBands4(StereoBand* bands, int n, float* x, size_t frames) { RunBands<4>(bands, n, x, frames); }

__attribute__((target("arch=x86-64-v3"))) void RunBands8(StereoBand* bands, int n, float* x, size_t frames) {
    RunBands<8>(bands, n, x, frames);
}

using BandRunner = void (*)(StereoBand*, int, float*, size_t);

bool HasAvx2Fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

BandRunner ChooseRunner(int floats) {
    static const bool wide = HasAvx2Fma();
    return wide && floats != 4 ? RunBands8 : RunBands4;
}

}  // namespace

void PeakingEq::ProcessChain(PeakingEq* const* bands, size_t count, float* interleaved, size_t frames, int channels) {
    ProcessChainWidth(0, bands, count, interleaved, frames, channels);
}

void PeakingEq::ProcessChainWidth(int floats, PeakingEq* const* bands, size_t count, float* interleaved, size_t frames,
                                  int channels) {
    PeakingEq* active[64];
    size_t n = 0;
    for (size_t i = 0; i < count && n < 64; ++i)
        if (!bands[i]->bypass_) active[n++] = bands[i];
    if (n == 0 || frames == 0) return;
    if (channels != 2) {
        for (size_t i = 0; i < n; ++i) active[i]->Process(interleaved, frames, channels);
        return;
    }
    const BandRunner run = ChooseRunner(floats);
    StereoBand packed[64];
    for (size_t i = 0; i < n; ++i) {
        const PeakingEq& b = *active[i];
        packed[i] = {static_cast<float>(b.b0_), static_cast<float>(b.b1_), static_cast<float>(b.b2_),
                     static_cast<float>(b.a1_), static_cast<float>(b.a2_),
                     {static_cast<float>(b.z1_[0]), static_cast<float>(b.z1_[1])},
                     {static_cast<float>(b.z2_[0]), static_cast<float>(b.z2_[1])}};
    }
    for (size_t from = 0; from < n; from += kMaxWave)
        run(packed + from, static_cast<int>(std::min<size_t>(kMaxWave, n - from)), interleaved, frames);
    for (size_t i = 0; i < n; ++i) {
        PeakingEq& b = *active[i];
        for (size_t ch = 0; ch < 2; ++ch) {
            // Denormals would make a quiet tail very slow.
            const double s1 = packed[i].z1[ch], s2 = packed[i].z2[ch];
            b.z1_[ch] = std::abs(s1) < 1e-25 ? 0 : s1;
            b.z2_[ch] = std::abs(s2) < 1e-25 ? 0 : s2;
        }
    }
}

}  // namespace tavora::audio
