#include "DecoderFactory.h"

#include "ContentSniffer.h"

#include "FfmpegOnDemand.h"
#include "MediaTypes.h"
#include "Mpg123Decoder.h"
#include "VorbisDecoder.h"
#include "WavDecoder.h"
#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

enum class Kind { Wav, Ogg, Mpeg, Foreign };

// The engine's own decoders take WAV, Ogg and MPEG audio (anything unrecognised is tried
// as MPEG, which has no reliable signature); other known containers are left to the
// engine's other modules.
Kind Sniff(const uint8_t* head, size_t size) {
    using media::Content;
    switch (media::SniffContent(head, size)) {
    case Content::Wave: return Kind::Wav;
    case Content::Ogg: return Kind::Ogg;
    case Content::Unknown:
    case Content::Id3:
    case Content::MpegSync: return Kind::Mpeg;
    case Content::CdaRecord:
    case Content::OtherRiff:
    case Content::Asf:
    case Content::Flac:
    case Content::Mp4:
    case Content::Midi:
    case Content::Iff: break;
    }
    return Kind::Foreign;
}

}  // namespace

namespace {

std::unique_ptr<Decoder> OpenSniffed(std::unique_ptr<ByteSource> input, int& error, Kind* kind) {
    uint8_t head[media::kSniffBytes] = {};
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
    decoder = OpenWithFfmpeg("file:" + path, media::Row(media::Media::Wav).ffmpegFormat);
    if (decoder) error = BASS_OK;
    return decoder;
}

}  // namespace tavora::audio
