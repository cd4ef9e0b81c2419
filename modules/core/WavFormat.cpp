#include "WavFormat.h"

#include <cstring>

namespace tavora::audio {
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxChunksBeforeData = 256;

}  // namespace

std::optional<WavLayout> ParseWavHeader(ByteSource& input) {
    uint8_t riff[12];
    if (!input.Seek(0) || input.Read(riff, 12) != 12) return std::nullopt;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return std::nullopt;

    WavLayout layout;
    bool haveFormat = false;
    uint16_t format = 0;
    uint32_t dataSize = 0;
    int64_t offset = 12;
    for (int chunks = 0; chunks < kMaxChunksBeforeData; ++chunks) {
        uint8_t header[8];
        if (!input.Seek(offset) || input.Read(header, 8) != 8) return std::nullopt;
        const uint32_t size = Le32(header + 4);
        const int64_t body = offset + 8;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (size < 16) return std::nullopt;
            uint8_t fmt[40] = {};
            const size_t want = size < sizeof fmt ? size : sizeof fmt;
            if (input.Read(fmt, want) != want) return std::nullopt;
            format = Le16(fmt);
            layout.channels = Le16(fmt + 2);
            layout.rate = static_cast<int>(Le32(fmt + 4));
            layout.blockAlign = Le16(fmt + 12);
            layout.bitsPerSample = Le16(fmt + 14);
            if (format == kFormatExtensible) {
                if (size < 40) return std::nullopt;
                format = Le16(fmt + 24);  // the sub-format GUID starts with the format tag
            }
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat) return std::nullopt;
            layout.dataOffset = body;
            dataSize = size;
            break;
        }
        offset = body + size + (size & 1);  // chunks are padded to even sizes
    }
    if (layout.dataOffset == 0) return std::nullopt;

    layout.isFloat = format == kFormatFloat;
    if (format != kFormatPcm && format != kFormatFloat) return std::nullopt;
    if (layout.channels < 1 || layout.channels > 8) return std::nullopt;
    if (layout.rate < 1000 || layout.rate > 384000) return std::nullopt;
    const int bits = layout.bitsPerSample;
    if (layout.isFloat ? (bits != 32 && bits != 64) : (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    // The frame size follows from the sample format; a header that says otherwise is wrong.
    layout.blockAlign = bits / 8 * layout.channels;
    // Streamed or truncated files carry a size that is too large (or 0 / -1): take
    // what the input really holds.
    const int64_t available = input.Size() >= 0 ? input.Size() - layout.dataOffset : 0;
    int64_t bytes = dataSize;
    if (dataSize == 0 || dataSize == 0xFFFFFFFFu || bytes > available) bytes = available;
    if (bytes < 0) bytes = 0;
    layout.dataBytes = bytes - bytes % layout.blockAlign;
    return layout;
}

}  // namespace tavora::audio
