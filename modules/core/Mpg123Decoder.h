#pragma once
// MPEG-1/2/2.5 audio layers 1-3 through libmpg123. Lengths are exact: a seekable input
// is scanned once at open (honouring Xing/Info, LAME and VBRI headers and the encoder
// delay and padding the LAME tag records).

#include <memory>

#include "Decoder.h"

struct mpg123_handle_struct;

namespace tavora::audio {

class Mpg123Decoder final : public Decoder {
public:
    // nullptr when the data holds no MPEG audio near its start.
    static std::unique_ptr<Decoder> Open(std::unique_ptr<ByteSource> input);
    ~Mpg123Decoder() override;

    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    int64_t LengthFrames() const override { return length_; }
    uint32_t ContentType() const override { return contentType_; }
    int64_t InputPosition() const override { return input_->Tell(); }
    int64_t InputSize() const override { return input_->Size(); }

private:
    explicit Mpg123Decoder(std::unique_ptr<ByteSource> input) : input_(std::move(input)) {}
    bool Init();

    std::unique_ptr<ByteSource> input_;
    mpg123_handle_struct* handle_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int64_t length_ = -1;
    uint32_t contentType_ = 0;
    bool ended_ = false;
};

}  // namespace tavora::audio
