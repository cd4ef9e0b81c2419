#pragma once
// Effect type 8 of BASS_ChannelSetFX: a Schroeder/Moorer room reverb (four damped
// comb filters and two all-pass filters per side) mixed quietly under the dry sound.

#include <cstddef>
#include <vector>

namespace tavora::audio {

class Reverb {
public:
    void Process(float* buffer, size_t frames, int channels, int rate);

private:
    struct Comb {
        std::vector<float> line;
        size_t at = 0;
        float store = 0;
    };
    struct AllPass {
        std::vector<float> line;
        size_t at = 0;
    };
    void Prepare(int channels, int rate);

    int channels_ = 0, rate_ = 0;
    std::vector<std::vector<Comb>> combs_;       // per channel
    std::vector<std::vector<AllPass>> allPasses_;  // per channel
};

}  // namespace tavora::audio
