#pragma once
// Containers and codecs FFmpeg knows: used for WMA/ASF files and mms:// addresses.
// Output is interleaved float at the codec's own rate and channel count (at most 8).

#include <memory>
#include <string>

#include "Decoder.h"
#include "NetworkDeadline.h"

namespace tavora::audio {

class FfmpegDecoder final : public Decoder {
public:
    // location is a path or an address FFmpeg opens itself. When requiredFormat is not
    // empty, the container must be that one (FFmpeg's short name, the media table's ffmpegFormat).
    // For addresses, net ends the open (cancel or deadline) and later reads (cancel):
    // FFmpeg checks it whenever it waits for the network.
    static std::unique_ptr<Decoder> Open(const std::string& location, const std::string& requiredFormat,
                                         std::shared_ptr<const NetworkDeadline> net = nullptr);
    ~FfmpegDecoder() override;

    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    int64_t LengthFrames() const override { return length_; }
    uint32_t ContentType() const override;
    int64_t InputPosition() const override;
    int64_t InputSize() const override;

private:
    FfmpegDecoder();
    bool Init(const std::string& location, const std::string& requiredFormat);
    bool DecodeMore();

    struct State;
    std::unique_ptr<State> state_;
    int rate_ = 0;
    int channels_ = 0;
    int64_t length_ = -1;
    int64_t skipFrames_ = 0;  // after a seek: frames to drop before the target
};

}  // namespace tavora::audio
