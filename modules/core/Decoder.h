#pragma once
// One audio format's decoder: interleaved 32-bit float frames at the source's own
// rate and channel count. DecoderFactory picks the class by the data, never by the
// file name's extension.
//
// Threading: one object is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ByteSource.h"

namespace tavora::audio {

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    // Fills up to frames frames; fewer only at the end (0 = the end, or undecodable rest).
    virtual size_t Read(float* out, size_t frames) = 0;
    // Sample-exact where the format allows it; false when the source cannot seek.
    virtual bool Seek(uint64_t frame) = 0;
    // Frames in the whole stream, -1 when unknown (endless or unseekable input).
    virtual int64_t LengthFrames() const = 0;
    // BASS_CTYPE_... of the format.
    virtual uint32_t ContentType() const = 0;
    // Bytes of the input consumed so far (for file positions).
    virtual int64_t InputPosition() const = 0;
    virtual int64_t InputSize() const = 0;
    // Artist/title of the current link for formats that carry them inline
    // (chained Ogg streams); "" otherwise.
    virtual std::string InlineTitle() const { return {}; }
};

}  // namespace tavora::audio
