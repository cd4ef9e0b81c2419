#include "FftMagnitudes.h"

#include <cmath>
#include <complex>
#include <utility>

namespace tavora::audio {

void Spectrum512(const float* samples, float* magnitudes) {
    constexpr size_t n = 512;
    std::complex<double> x[n];
    double windowSum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / (n - 1));
        windowSum += w;
        x[i] = samples[i] * w;
    }
    for (size_t i = 1, j = 0; i < n; ++i) {  // bit-reversal permutation
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const auto u = x[i + k], v = x[i + k + len / 2] * w;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
            }
        }
    }
    for (size_t k = 0; k < n / 2; ++k) magnitudes[k] = static_cast<float>(2.0 * std::abs(x[k]) / windowSum);
}

}  // namespace tavora::audio
