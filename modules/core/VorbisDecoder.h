#pragma once
// Ogg Vorbis through libvorbisfile, chained files included (each link's comments give
// the inline title). A link whose channel count differs from the first ends the stream.

#include <memory>

#include "Decoder.h"

namespace tavora::audio {

class VorbisDecoder final : public Decoder {
public:
    static std::unique_ptr<Decoder> Open(std::unique_ptr<ByteSource> input);
    ~VorbisDecoder() override;

    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    int64_t LengthFrames() const override { return length_; }
    uint32_t ContentType() const override;
    int64_t InputPosition() const override { return input_->Tell(); }
    int64_t InputSize() const override { return input_->Size(); }
    std::string InlineTitle() const override { return title_; }

private:
    explicit VorbisDecoder(std::unique_ptr<ByteSource> input);
    bool Init();
    void UpdateTitle(int link);

    std::unique_ptr<ByteSource> input_;
    struct State;
    std::unique_ptr<State> state_;
    int rate_ = 0;
    int channels_ = 0;
    int64_t length_ = -1;
    int link_ = -1;
    bool ended_ = false;
    std::string title_;
};

}  // namespace tavora::audio
