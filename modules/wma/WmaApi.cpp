// basswma.so: Windows Media audio in ASF containers, decoded by FFmpeg.

#include <memory>

#include "FfmpegDecoder.h"
#include "tavora/engine_ext.h"

using namespace tavora::audio;

namespace {

struct WmaFile {
    std::unique_ptr<Decoder> decoder;
    QWORD position = 0;
};

DWORD Read(void* user, float* out, DWORD frames) {
    auto& w = *static_cast<WmaFile*>(user);
    const size_t got = w.decoder->Read(out, frames);
    w.position += got;
    return static_cast<DWORD>(got);
}

BOOL Seek(void* user, QWORD frame) {
    auto& w = *static_cast<WmaFile*>(user);
    if (!w.decoder->Seek(frame)) return FALSE;
    w.position = frame;
    return TRUE;
}

QWORD Position(void* user) { return static_cast<WmaFile*>(user)->position; }

QWORD Length(void* user) {
    const int64_t length = static_cast<WmaFile*>(user)->decoder->LengthFrames();
    return length < 0 ? static_cast<QWORD>(-1) : static_cast<QWORD>(length);
}

void Destroy(void* user) { delete static_cast<WmaFile*>(user); }

}  // namespace

extern "C" HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    if (!file || mem) {  // files only: the player never opens Windows Media from memory
        TAVORA_SetError(file ? BASS_ERROR_ILLPARAM : BASS_ERROR_FILEOPEN);
        return 0;
    }
    auto decoder = FfmpegDecoder::Open(static_cast<const char*>(file), "asf", 10);
    if (!decoder) {
        TAVORA_SetError(BASS_ERROR_FILEFORM);
        return 0;
    }
    auto* w = new WmaFile {std::move(decoder), 0};
    TAVORA_SOURCE s {};
    s.freq = static_cast<DWORD>(w->decoder->Rate());
    s.chans = static_cast<DWORD>(w->decoder->Channels());
    s.ctype = BASS_CTYPE_STREAM_WMA;
    s.read = Read;
    s.seek = Seek;
    s.position = Position;
    s.length = Length;
    s.destroy = Destroy;
    s.user = w;
    return TAVORA_StreamCreateSource(&s, flags);
}
