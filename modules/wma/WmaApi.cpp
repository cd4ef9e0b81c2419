// basswma.so: Windows Media audio in ASF containers, decoded by FFmpeg.

#include <cstdio>
#include <memory>
#include <string>

#include "FfmpegOnDemand.h"
#include "ForeignStream.h"
#include "ContentSniffer.h"
#include "MediaTypes.h"
#include "RegularFile.h"

using namespace tavora::audio;

namespace {

struct WmaFile {
    std::unique_ptr<Decoder> decoder;
    QWORD position = 0;

    DWORD Read(float* out, DWORD frames) {
        const size_t got = decoder->Read(out, frames);
        position += got;
        return static_cast<DWORD>(got);
    }
    BOOL Seek(QWORD frame) {
        if (!decoder->Seek(frame)) return FALSE;
        position = frame;
        return TRUE;
    }
    QWORD Position() const { return position; }
    QWORD Length() const {
        const int64_t length = decoder->LengthFrames();
        return length < 0 ? static_cast<QWORD>(-1) : static_cast<QWORD>(length);
    }
};

// Every ASF file begins with the header object's GUID, and FFmpeg's ASF reader refuses
// anything else; checking it here spares loading FFmpeg for each file the player offers
// this module after the main engine refused it.
bool StartsAsAsf(const std::string& path) {
    std::FILE* f = tavora::OpenRegularFile(path);
    if (!f) return false;
    uint8_t head[tavora::media::kSniffBytes];
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return tavora::media::SniffContent(head, got) == tavora::media::Content::Asf;
}

}  // namespace

extern "C" HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    if (!file || mem) {  // files only: the player never opens Windows Media from memory
        TAVORA_SetError(file ? BASS_ERROR_ILLPARAM : BASS_ERROR_FILEOPEN);
        return 0;
    }
    const std::string path = static_cast<const char*>(file);
    if (!tavora::IsRegularFile(path)) {
        TAVORA_SetError(BASS_ERROR_FILEOPEN);
        return 0;
    }
    // "file:" keeps FFmpeg from taking a name such as "http:..." or "concat:..." as an
    // address of its own.
    auto decoder = StartsAsAsf(path) ? OpenWithFfmpeg("file:" + path, tavora::media::Row(tavora::media::Media::Wma).ffmpegFormat) : nullptr;
    if (!decoder) {
        TAVORA_SetError(BASS_ERROR_FILEFORM);
        return 0;
    }
    auto* w = new WmaFile {std::move(decoder), 0};
    return CreateForeignStream(w, static_cast<DWORD>(w->decoder->Rate()), static_cast<DWORD>(w->decoder->Channels()),
                               BASS_CTYPE_STREAM_WMA, flags);
}
