// The engine's sample arithmetic against plain reference code: the equaliser chain
// (both vector widths) against a per-band biquad written out here, the bypass of flat
// bands, and the spectrum against a direct Fourier transform.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "FftMagnitudes.h"
#include "PeakingEq.h"

namespace tavora::audio {
namespace {

// The cookbook peaking biquad (width in octaves), direct form I, double precision,
// one band after the other: the slow, obvious way.
struct ReferenceBand {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1[2] {}, x2[2] {}, y1[2] {}, y2[2] {};
    ReferenceBand(double rate, double center, double gain) {
        if (gain == 0) return;
        const double a = std::pow(10.0, gain / 40.0), w0 = 2 * M_PI * center / rate;
        const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * 1.0 * w0 / std::sin(w0));
        const double a0 = 1 + alpha / a;
        b0 = (1 + alpha * a) / a0, b1 = -2 * std::cos(w0) / a0, b2 = (1 - alpha * a) / a0;
        a1 = -2 * std::cos(w0) / a0, a2 = (1 - alpha / a) / a0;
    }
    void Run(std::vector<float>& stereo) {
        for (size_t i = 0; i < stereo.size(); ++i) {
            const size_t c = i % 2;
            const double x = stereo[i];
            const double y = b0 * x + b1 * x1[c] + b2 * x2[c] - a1 * y1[c] - a2 * y2[c];
            x2[c] = x1[c], x1[c] = x, y2[c] = y1[c], y1[c] = y;
            stereo[i] = static_cast<float>(y);
        }
    }
};

std::vector<float> Noise(size_t samples, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-0.4f, 0.4f);
    std::vector<float> x(samples);
    for (float& v : x) v = value(random);
    return x;
}

TEST(PeakingEqChainTest, MatchesBandByBandReferenceAtBothVectorWidths) {
    // Fourteen bands: more than one wavefront holds, with flat (bypassed) bands among
    // them; blocks of odd sizes, down to single frames, carry the state across.
    const double centers[14] = {31, 60, 170, 310, 600, 1000, 2000, 3000, 6000, 9000, 12000, 14000, 16000, 19000};
    const double gains[14] = {5, -4.5, 6, 0, -6, 3, 0, 12, -12, 4, -3, 0, 6, -2};
    const std::vector<float> input = Noise(2 * 6000, 7);
    std::vector<float> expected = input;
    for (int i = 0; i < 14; ++i) ReferenceBand(44100, centers[i], gains[i]).Run(expected);
    for (int width : {4, 8}) {
        PeakingEq bands[14];
        PeakingEq* pointers[14];
        for (int i = 0; i < 14; ++i) {
            bands[i].Configure(44100, centers[i], gains[i], 1.0, 0);
            pointers[i] = &bands[i];
        }
        std::vector<float> x = input;
        const size_t sizes[] = {1, 2, 11, 777, 3, 1024, 5};
        for (size_t from = 0, n = 0; from < 6000; from += n) {
            n = std::min<size_t>(sizes[(from / 7) % 7], 6000 - from);
            PeakingEq::ProcessChainWidth(width, pointers, 14, x.data() + 2 * from, n, 2);
        }
        // Single precision (with or without fused multiply-adds); the lowest bands' poles
        // sit close to the unit circle, where rounding shows most.
        for (size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(x[i], expected[i], 5e-4) << "width " << width << " at " << i;
    }
}

TEST(PeakingEqChainTest, MonoAndSurroundGoBandByBandWithTheSameResult) {
    const double centers[3] = {100, 1000, 8000};
    PeakingEq bands[3];
    PeakingEq* pointers[3];
    for (int i = 0; i < 3; ++i) bands[i].Configure(48000, centers[i], i == 1 ? -9 : 4, 1.0, 0), pointers[i] = &bands[i];
    std::vector<float> mono = Noise(4000, 3);
    std::vector<float> asStereo(2 * mono.size());
    for (size_t i = 0; i < mono.size(); ++i) asStereo[2 * i] = asStereo[2 * i + 1] = mono[i];
    for (int i = 0; i < 3; ++i) ReferenceBand(48000, centers[i], i == 1 ? -9 : 4).Run(asStereo);
    PeakingEq::ProcessChain(pointers, 3, mono.data(), mono.size(), 1);
    for (size_t i = 0; i < mono.size(); ++i) ASSERT_NEAR(mono[i], asStereo[2 * i], 1e-5) << i;
}

TEST(PeakingEqChainTest, FlatBandsAreBitExactAndAGainSetLaterStillApplies) {
    const double centers[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
    PeakingEq bands[10];
    PeakingEq* pointers[10];
    for (int i = 0; i < 10; ++i) bands[i].Configure(44100, centers[i], 0, 1.0, 0), pointers[i] = &bands[i];
    // A 1 kHz tone at 0.1.
    std::vector<float> tone(2 * 44100);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.1 * std::sin(2 * M_PI * 1000.0 * static_cast<double>(i / 2) / 44100));
    auto level = [](const std::vector<float>& x, size_t from) {
        double peak = 0;
        for (size_t i = from; i < x.size(); ++i) peak = std::max(peak, std::fabs(static_cast<double>(x[i])));
        return 20 * std::log10(peak / 0.1);
    };
    std::vector<float> x = tone;
    PeakingEq::ProcessChain(pointers, 10, x.data(), 44100, 2);
    EXPECT_EQ(std::memcmp(x.data(), tone.data(), x.size() * sizeof(float)), 0);
    bands[4].Configure(44100, 1000, 12, 1.0, 0);  // the 1 kHz band, mid-stream
    x = tone;
    PeakingEq::ProcessChain(pointers, 10, x.data(), 44100, 2);
    EXPECT_NEAR(level(x, x.size() / 2), 12.0, 0.2);
    bands[4].Configure(44100, 1000, 0, 1.0, 0);  // flat again: untouched at once
    x = tone;
    PeakingEq::ProcessChain(pointers, 10, x.data(), 44100, 2);
    EXPECT_EQ(std::memcmp(x.data(), tone.data(), x.size() * sizeof(float)), 0);
}

TEST(SpectrumTest, MatchesADirectFourierTransformOfTheWindowedSamples) {
    const std::vector<float> samples = Noise(512, 11);
    float magnitudes[256];
    Spectrum512(samples.data(), magnitudes);
    double windowSum = 0;
    std::vector<double> windowed(512);
    for (size_t i = 0; i < 512; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / 511);
        windowSum += w;
        windowed[i] = samples[i] * w;
    }
    for (size_t k = 0; k < 256; ++k) {
        std::complex<double> sum = 0;
        for (size_t i = 0; i < 512; ++i) sum += windowed[i] * std::polar(1.0, -2 * M_PI * double(k * i) / 512);
        ASSERT_NEAR(magnitudes[k], 2 * std::abs(sum) / windowSum, 1e-5) << "bin " << k;
    }
    // A full-scale sine reads about 1.0 in its bin.
    std::vector<float> sine(512);
    for (size_t i = 0; i < 512; ++i) sine[i] = static_cast<float>(std::sin(2 * M_PI * 64 * static_cast<double>(i) / 512));
    Spectrum512(sine.data(), magnitudes);
    EXPECT_NEAR(magnitudes[64], 1.0, 0.01);
    EXPECT_LT(magnitudes[100], 0.001);
}

}  // namespace
}  // namespace tavora::audio
