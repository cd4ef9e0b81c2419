#include "DecoderFactory.h"

#include <cstring>

#include "FfmpegOnDemand.h"
#include "Mpg123Decoder.h"
#include "VorbisDecoder.h"
#include "WavDecoder.h"
#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

enum class Kind { Wav, Ogg, Mpeg, Foreign };

Kind Sniff(const uint8_t* head, size_t size) {
    auto starts = [&](const char* magic, size_t at = 0) {
        const size_t n = std::strlen(magic);
        return size >= at + n && std::memcmp(head + at, magic, n) == 0;
    };
    static const uint8_t kAsfGuid[4] = {0x30, 0x26, 0xB2, 0x75};
    if (starts("RIFF") && starts("WAVE", 8)) return Kind::Wav;
    if (starts("OggS")) return Kind::Ogg;
    if (starts("RIFF") || starts("fLaC") || starts("ftyp", 4) || starts("MThd") || starts("FORM") ||
        (size >= 4 && std::memcmp(head, kAsfGuid, 4) == 0))
        return Kind::Foreign;
    return Kind::Mpeg;
}

}  // namespace

namespace {

std::unique_ptr<Decoder> OpenSniffed(std::unique_ptr<ByteSource> input, int& error, Kind* kind) {
    uint8_t head[16] = {};
    const size_t got = input->Read(head, sizeof head);
    if (got == 0 || !input->Seek(0)) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::unique_ptr<Decoder> decoder;
    *kind = Sniff(head, got);
    switch (*kind) {
    case Kind::Wav: decoder = WavDecoder::Open(std::move(input)); break;
    case Kind::Ogg: decoder = VorbisDecoder::Open(std::move(input)); break;
    case Kind::Mpeg: decoder = Mpg123Decoder::Open(std::move(input)); break;
    case Kind::Foreign: break;
    }
    if (!decoder) error = BASS_ERROR_FILEFORM;
    return decoder;
}

}  // namespace

std::unique_ptr<Decoder> OpenDecoder(std::unique_ptr<ByteSource> input, int& error) {
    Kind kind = Kind::Foreign;
    return OpenSniffed(std::move(input), error, &kind);
}

std::unique_ptr<Decoder> OpenFileDecoder(const std::string& path, int& error) {
    std::unique_ptr<ByteSource> input = FileByteSource::Open(path);
    if (!input) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    Kind kind = Kind::Foreign;
    std::unique_ptr<Decoder> decoder = OpenSniffed(std::move(input), error, &kind);
    if (decoder || kind != Kind::Wav) return decoder;
    // FFmpeg opens the path itself; "file:" keeps a name with a colon a file name.
    decoder = OpenWithFfmpeg("file:" + path, "wav");
    if (decoder) error = BASS_OK;
    return decoder;
}

}  // namespace tavora::audio
