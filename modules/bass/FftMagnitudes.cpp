#include "FftMagnitudes.h"

#include <cmath>
#include <complex>
#include <utility>

namespace tavora::audio {
namespace {

constexpr size_t kSize = 512;

// The window, its sum, the bit-reversed order and the twiddle factors, computed once:
// the spectrum is asked for many times a second while the analyser shows.
struct Tables {
    double window[kSize];
    double windowSum = 0;
    unsigned short reversed[kSize];
    std::complex<double> twiddle[kSize / 2];  // e^(-2 pi i k / kSize)
    Tables() {
        for (size_t i = 0; i < kSize; ++i) {
            window[i] = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / (kSize - 1));
            windowSum += window[i];
        }
        for (size_t i = 0, j = 0; i < kSize; ++i) {
            reversed[i] = static_cast<unsigned short>(j);
            size_t bit = kSize >> 1;
            for (; j & bit; bit >>= 1) j ^= bit;
            j ^= bit;
        }
        for (size_t k = 0; k < kSize / 2; ++k)
            twiddle[k] = std::polar(1.0, -2 * M_PI * static_cast<double>(k) / static_cast<double>(kSize));
    }
};

}  // namespace

void Spectrum512(const float* samples, float* magnitudes) {
    static const Tables tables;
    double re[kSize], im[kSize];
    for (size_t i = 0; i < kSize; ++i) {
        const size_t from = tables.reversed[i];
        re[i] = samples[from] * tables.window[from];
        im[i] = 0;
    }
    for (size_t len = 2; len <= kSize; len <<= 1) {
        const size_t half = len / 2, stride = kSize / len;
        for (size_t i = 0; i < kSize; i += len) {
            for (size_t k = 0; k < half; ++k) {
                // Written out: std::complex's multiply checks for infinities on every call.
                const double wr = tables.twiddle[k * stride].real(), wi = tables.twiddle[k * stride].imag();
                const size_t a = i + k, b = a + half;
                const double vr = re[b] * wr - im[b] * wi, vi = re[b] * wi + im[b] * wr;
                re[b] = re[a] - vr, im[b] = im[a] - vi;
                re[a] += vr, im[a] += vi;
            }
        }
    }
    for (size_t k = 0; k < kSize / 2; ++k)
        magnitudes[k] = static_cast<float>(2.0 * std::sqrt(re[k] * re[k] + im[k] * im[k]) / tables.windowSum);
}

}  // namespace tavora::audio
