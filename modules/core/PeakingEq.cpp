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

}  // namespace tavora::audio
