#pragma once
// WAVE files of the layouts WavFormat.h accepts.

#include <memory>
#include <vector>

#include "Decoder.h"
#include "WavFormat.h"

namespace tavora::audio {

class WavDecoder final : public Decoder {
public:
    static std::unique_ptr<Decoder> Open(std::unique_ptr<ByteSource> input);

    int Rate() const override { return layout_.rate; }
    int Channels() const override { return layout_.channels; }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    int64_t LengthFrames() const override { return layout_.dataBytes / layout_.blockAlign; }
    uint32_t ContentType() const override;
    int64_t InputPosition() const override { return input_->Tell(); }
    int64_t InputSize() const override { return input_->Size(); }

private:
    WavDecoder(std::unique_ptr<ByteSource> input, const WavLayout& layout) : input_(std::move(input)), layout_(layout) {}

    std::unique_ptr<ByteSource> input_;
    WavLayout layout_;
    int64_t frame_ = 0;
    std::vector<uint8_t> raw_;
};

}  // namespace tavora::audio
