#include "WavDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tavora/bass_api.h"

namespace tavora::audio {

std::unique_ptr<Decoder> WavDecoder::Open(std::unique_ptr<ByteSource> input) {
    const auto layout = ParseWavHeader(*input);
    if (!layout || !input->Seek(layout->dataOffset)) return nullptr;
    return std::unique_ptr<Decoder>(new WavDecoder(std::move(input), *layout));
}

uint32_t WavDecoder::ContentType() const { return BASS_CTYPE_STREAM_WAV; }

size_t WavDecoder::Read(float* out, size_t frames) {
    const int64_t left = LengthFrames() - frame_;
    if (left <= 0) return 0;
    frames = std::min<size_t>(frames, static_cast<size_t>(left));
    const size_t bytes = frames * static_cast<size_t>(layout_.blockAlign);
    raw_.resize(bytes);
    const size_t got = input_->Read(raw_.data(), bytes) / static_cast<size_t>(layout_.blockAlign);
    const size_t samples = got * static_cast<size_t>(layout_.channels);
    const uint8_t* p = raw_.data();
    switch (layout_.bitsPerSample) {
    case 8:
        for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(p[i]) - 128) / 128.0f;
        break;
    case 16:
        for (size_t i = 0; i < samples; ++i)
            out[i] = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8)) / 32768.0f;
        break;
    case 24:
        for (size_t i = 0; i < samples; ++i) {
            const int32_t v = static_cast<int32_t>((static_cast<uint32_t>(p[3 * i]) << 8) |
                                                   (static_cast<uint32_t>(p[3 * i + 1]) << 16) |
                                                   (static_cast<uint32_t>(p[3 * i + 2]) << 24));
            out[i] = static_cast<float>(v / 2147483648.0);
        }
        break;
    case 32:
        for (size_t i = 0; i < samples; ++i) {
            if (layout_.isFloat) {
                float f;
                std::memcpy(&f, p + 4 * i, 4);
                // NaN or huge values in a damaged file would poison every filter after us.
                out[i] = std::isfinite(f) ? std::clamp(f, -4.0f, 4.0f) : 0.0f;
            } else {
                int32_t v;
                std::memcpy(&v, p + 4 * i, 4);
                out[i] = static_cast<float>(v / 2147483648.0);
            }
        }
        break;
    case 64:
        for (size_t i = 0; i < samples; ++i) {
            double d;
            std::memcpy(&d, p + 8 * i, 8);
            out[i] = std::isfinite(d) ? static_cast<float>(std::clamp(d, -4.0, 4.0)) : 0.0f;
        }
        break;
    }
    frame_ += static_cast<int64_t>(got);
    return got;
}

bool WavDecoder::Seek(uint64_t frame) {
    const uint64_t target = std::min<uint64_t>(frame, static_cast<uint64_t>(LengthFrames()));
    if (!input_->Seek(layout_.dataOffset + static_cast<int64_t>(target) * layout_.blockAlign)) return false;
    frame_ = static_cast<int64_t>(target);
    return true;
}

}  // namespace tavora::audio
