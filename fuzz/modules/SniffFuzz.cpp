// The content sniffer: any bytes give one answer, decided by the first kSniffBytes alone.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ContentSniffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tavora::media::Content;
    const Content whole = tavora::media::SniffContent(data, size);
    const size_t head = size < tavora::media::kSniffBytes ? size : tavora::media::kSniffBytes;
    if (tavora::media::SniffContent(data, head) != whole) __builtin_trap();
    // What it says must be there.
    auto starts = [&](const char* magic, size_t at = 0) {
        const size_t n = std::strlen(magic);
        return size >= at + n && std::memcmp(data + at, magic, n) == 0;
    };
    switch (whole) {
    case Content::Wave:
        if (!starts("RIFF") || !starts("WAVE", 8)) __builtin_trap();
        break;
    case Content::CdaRecord:
        if (!starts("RIFF") || !starts("CDDA", 8)) __builtin_trap();
        break;
    case Content::Ogg:
        if (!starts("OggS")) __builtin_trap();
        break;
    case Content::Asf:
        if (size < 16 || data[0] != 0x30 || data[1] != 0x26) __builtin_trap();
        break;
    case Content::Id3:
        if (!starts("ID3")) __builtin_trap();
        break;
    case Content::MpegSync:
        if (size < 2 || data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) __builtin_trap();
        break;
    default: break;
    }
    return 0;
}
