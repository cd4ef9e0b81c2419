// Whole files through the decoder choice and the decoders (our WAV reader, and our use
// of libmpg123 and libvorbisfile): open, read everything, seek, read again. Damaged
// data must end in a refusal or a short read, never a crash or an endless loop.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "DecoderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavora::audio;
    int error = 0;
    auto decoder = OpenDecoder(std::make_unique<MemoryByteSource>(data, size), error);
    if (!decoder) return 0;
    if (decoder->Channels() < 1 || decoder->Channels() > 8 || decoder->Rate() <= 0) __builtin_trap();
    std::vector<float> buffer(1024 * static_cast<size_t>(decoder->Channels()));
    size_t total = 0;
    // Input of at most a few hundred kilobytes cannot hold more than this many frames.
    const size_t limit = 64u << 20;
    for (size_t got; (got = decoder->Read(buffer.data(), 1024)) > 0;) {
        total += got;
        if (total > limit) __builtin_trap();
    }
    const int64_t length = decoder->LengthFrames();
    if (decoder->Seek(static_cast<uint64_t>(length > 0 ? length / 2 : 0))) decoder->Read(buffer.data(), 1024);
    return 0;
}
