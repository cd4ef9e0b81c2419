// Writes arbitrary bytes to a file and reads it through every tag reader and decoder probe,
// under each of the names that choose a reader: id3lib, TagLib, libvorbisfile and mpg123
// must all come back without a crash on a hostile file (".cda" records included), and so
// must the MP3 writer's look for the audio after the tag.
#include <QLoggingCategory>

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "AudioRegion.h"
#include "DisplayTitle.h"
#include "TagMessages.h"
#include "TextDecoding.h"
#include "TrackLength.h"

namespace {

std::string Folder() {
    static const std::string folder = [] {
        char templ[] = "/tmp/tavora-tagfuzz-XXXXXX";
        const char* made = mkdtemp(templ);
        tavora::SetTagMessageSink([](const std::string&, const std::string&) {});
        // Every rejected input would be logged.
        QLoggingCategory::setFilterRules(QStringLiteral("tavora.tags=false"));
        const std::string dir = made ? made : "/tmp";
        // ".cda" records are looked up on this (absent) disc image, not on a real drive.
        setenv("TAVORA_CD_DEVICE", (dir + "/no-disc.cue").c_str(), 1);
        // One file under the three names that choose a reader, written once per input.
        for (const char* name : {"/input.mp3", "/input.ogg", "/input.wma"}) symlink("input.bin", (dir + name).c_str());
        return dir;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen((Folder() + "/input.bin").c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    for (const char* name : {"/input.mp3", "/input.ogg", "/input.wma"}) {
        const std::string path = Folder() + name;
        for (bool prefer : {true, false}) {
            const std::string title = tavora::ReadDisplayTitle(path, {prefer, tavora::TitleFormat::TitleAlbumArtist});
            if (!tavora::IsValidUtf8(title)) __builtin_trap();
        }
        (void)tavora::ProbeAudioFile(path);
    }
    // What the MP3 writer takes for the audio lies within the file.
    const auto region = tavora::Mp3AudioRegion(Folder() + "/input.mp3");
    if (region && region->offset + region->length > size) __builtin_trap();
    return 0;
}
