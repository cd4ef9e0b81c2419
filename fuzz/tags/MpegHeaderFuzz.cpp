// Feeds arbitrary bytes to the MPEG header length reader, as a whole file and as a file
// whose audio starts at an offset with a larger size than the bytes held (as after an
// ID3v2 tag). A length must be a finite, non-negative number of seconds at a real rate.
// The search for where MPEG audio starts must stay within its limit and the bytes given.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "MpegHeaderLength.h"

namespace {

void Check(const std::optional<tavora::AudioProbe>& length) {
    if (!length) return;
    if (!std::isfinite(length->seconds) || length->seconds < 0) __builtin_trap();
    if (length->sampleRate < 8000 || length->sampleRate > 48000) __builtin_trap();
    if (length->channels != 1 && length->channels != 2) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::span<const uint8_t> tail = bytes.last(size < 256 ? size : 256);
    Check(tavora::MpegLengthFromHeaders(bytes, 0, size, tail));
    const uint64_t offset = size > 0 ? data[0] * 97u : 0;
    const uint64_t fileSize = offset + size + (size > 1 ? data[1] * 4099u : 0);
    Check(tavora::MpegLengthFromHeaders(bytes, offset, fileSize, tail));
    Check(tavora::MpegLengthFromHeaders(bytes, fileSize + 1, fileSize, tail));
    for (const bool all : {true, false}) {
        const auto start = tavora::FindMpegFrameRun(bytes, offset, all);
        if (start && (*start > offset || *start + 4 > size)) __builtin_trap();
    }
    return 0;
}
