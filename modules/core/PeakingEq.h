#pragma once
// One peaking-equaliser band: an RBJ "audio EQ cookbook" peaking biquad, with the
// width given as bandwidth in octaves (or as Q when Q is not 0).
//
// Threading: one object per band, used by one thread at a time.

#include <array>
#include <cstddef>

namespace tavora::audio {

class PeakingEq {
public:
    static constexpr int kMaxChannels = 8;

    // A band whose centre is at or above the Nyquist frequency, or whose gain is 0,
    // passes the sound through untouched.
    void Configure(double rate, double center, double gain, double bandwidth, double q);
    void Process(float* interleaved, size_t frames, int channels);
    // Runs a chain of bands over the same sound. Stereo goes frame by frame through
    // every band, so the bands' feedback paths overlap instead of each band waiting
    // on its own previous sample (about three times faster than band by band).
    static void ProcessChain(PeakingEq* const* bands, size_t count, float* interleaved, size_t frames, int channels);
    // The same with a given vector width for stereo: 4 floats (any x86-64) or 8 (where
    // the processor has AVX2 and FMA; 4 elsewhere); 0 picks the widest available.
    static void ProcessChainWidth(int floats, PeakingEq* const* bands, size_t count, float* interleaved, size_t frames,
                                  int channels);

private:
    bool bypass_ = true;
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    std::array<double, kMaxChannels> z1_ {}, z2_ {};
};

}  // namespace tavora::audio
