#include "Reverb.h"

namespace tavora::audio {
namespace {
// Delay lengths in samples at 44.1 kHz (mutually prime-ish), scaled to the rate.
constexpr int kCombTuning[4] = {1116, 1277, 1422, 1617};
constexpr int kAllPassTuning[2] = {556, 341};
constexpr float kFeedback = 0.80f, kDamp = 0.25f, kWet = 0.25f, kDry = 0.85f, kAllPassGain = 0.5f;
}  // namespace

void Reverb::Prepare(int channels, int rate) {
    channels_ = channels;
    rate_ = rate;
    combs_.assign(static_cast<size_t>(channels), {});
    allPasses_.assign(static_cast<size_t>(channels), {});
    for (int c = 0; c < channels; ++c) {
        const int spread = c * 23;  // decorrelates the sides
        for (int t : kCombTuning) {
            Comb comb;
            comb.line.assign(static_cast<size_t>((t + spread) * static_cast<long>(rate) / 44100 + 1), 0.0f);
            combs_[static_cast<size_t>(c)].push_back(std::move(comb));
        }
        for (int t : kAllPassTuning) {
            AllPass pass;
            pass.line.assign(static_cast<size_t>((t + spread) * static_cast<long>(rate) / 44100 + 1), 0.0f);
            allPasses_[static_cast<size_t>(c)].push_back(std::move(pass));
        }
    }
}

void Reverb::Process(float* buffer, size_t frames, int channels, int rate) {
    if (channels != channels_ || rate != rate_) Prepare(channels, rate);
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            float& sample = buffer[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
            const float input = sample * 0.2f;
            float wet = 0;
            for (Comb& comb : combs_[static_cast<size_t>(c)]) {
                const float out = comb.line[comb.at];
                comb.store = out * (1 - kDamp) + comb.store * kDamp;
                comb.line[comb.at] = input + comb.store * kFeedback;
                comb.at = (comb.at + 1) % comb.line.size();
                wet += out;
            }
            for (AllPass& pass : allPasses_[static_cast<size_t>(c)]) {
                const float delayed = pass.line[pass.at];
                pass.line[pass.at] = wet + delayed * kAllPassGain;
                pass.at = (pass.at + 1) % pass.line.size();
                wet = delayed - wet;
            }
            sample = sample * kDry + wet * kWet;
        }
    }
}

}  // namespace tavora::audio
