#pragma once
// What a channel plays: a decoder of a file, an address stream, or a source given by
// a sibling module through TAVORA_StreamCreateSource.
//
// Threading: called with the engine lock held.

#include <cstdint>
#include <memory>
#include <string>

#include "Decoder.h"
#include "tavora/engine_ext.h"

namespace tavora::audio {

class Source {
public:
    virtual ~Source() = default;
    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    virtual uint32_t ContentType() const = 0;
    // Up to frames frames; 0 means the end, or (when Live()) that nothing has arrived yet.
    virtual size_t Read(float* out, size_t frames) = 0;
    virtual bool Seek(uint64_t frame) = 0;
    virtual uint64_t Position() const = 0;
    virtual int64_t Length() const = 0;  // frames, -1 unknown
    virtual bool Live() const { return false; }
    virtual bool Ended() const { return true; }  // only asked of live sources
    // Tag block of BASS_StreamGetTags, nullptr when there is none of that kind.
    virtual const char* Tags(uint32_t kind) { return nullptr; }
    // BASS_StreamGetFilePosition; -1 when unknown.
    virtual int64_t FilePosition(uint32_t mode) const { return -1; }
};

// A decoder of a local file, with its position counted in frames handed out.
class DecoderSource final : public Source {
public:
    explicit DecoderSource(std::unique_ptr<Decoder> decoder) : decoder_(std::move(decoder)) {}
    int Rate() const override { return decoder_->Rate(); }
    int Channels() const override { return decoder_->Channels(); }
    uint32_t ContentType() const override { return decoder_->ContentType(); }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    uint64_t Position() const override { return position_; }
    int64_t Length() const override { return decoder_->LengthFrames(); }
    int64_t FilePosition(uint32_t mode) const override;

private:
    std::unique_ptr<Decoder> decoder_;
    uint64_t position_ = 0;
};

// A source implemented by a sibling module.
class ForeignSource final : public Source {
public:
    explicit ForeignSource(const TAVORA_SOURCE& source) : source_(source) {}
    ~ForeignSource() override;
    int Rate() const override { return static_cast<int>(source_.freq); }
    int Channels() const override { return static_cast<int>(source_.chans); }
    uint32_t ContentType() const override { return source_.ctype; }
    size_t Read(float* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    uint64_t Position() const override;
    int64_t Length() const override;

private:
    TAVORA_SOURCE source_;
};

}  // namespace tavora::audio
