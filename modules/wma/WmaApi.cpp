// basswma.so: Windows Media audio in ASF containers, decoded by FFmpeg.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "FfmpegOnDemand.h"
#include "ForeignStream.h"
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
    static const unsigned char kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    std::FILE* f = tavora::OpenRegularFile(path);
    if (!f) return false;
    unsigned char head[16];
    const bool asf = std::fread(head, 1, sizeof head, f) == sizeof head && std::memcmp(head, kHeaderGuid, 16) == 0;
    std::fclose(f);
    return asf;
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
    auto decoder = StartsAsAsf(path) ? OpenWithFfmpeg("file:" + path, "asf") : nullptr;
    if (!decoder) {
        TAVORA_SetError(BASS_ERROR_FILEFORM);
        return 0;
    }
    auto* w = new WmaFile {std::move(decoder), 0};
    return CreateForeignStream(w, static_cast<DWORD>(w->decoder->Rate()), static_cast<DWORD>(w->decoder->Channels()),
                               BASS_CTYPE_STREAM_WMA, flags);
}
