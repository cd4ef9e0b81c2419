#pragma once
// Magnitude spectrum of 512 samples: 256 bins, Hann window, scaled so that a
// full-scale sine reads about 1.0 in its bin.

#include <cstddef>

namespace tavora::audio {

void Spectrum512(const float* samples, float* magnitudes /* 256 */);

}  // namespace tavora::audio
