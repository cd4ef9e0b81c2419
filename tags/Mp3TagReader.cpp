#include "Mp3TagReader.h"

#include <array>
#include <optional>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include <id3/readers.h>
#include <id3/tag.h>

#include "Genres.h"
#include "Id3v2Reader.h"
#include "RegularFile.h"
#include "TextDecoding.h"

namespace tavora {
namespace {

struct V1Frame {
    ID3_FrameID id;
    std::string TagRecord::*field;
};

constexpr std::array kV1Frames = {
    V1Frame{ID3FID_TITLE, &TagRecord::title},         V1Frame{ID3FID_LEADARTIST, &TagRecord::artist},
    V1Frame{ID3FID_ALBUM, &TagRecord::album},         V1Frame{ID3FID_TRACKNUM, &TagRecord::track},
    V1Frame{ID3FID_YEAR, &TagRecord::year},           V1Frame{ID3FID_COMMENT, &TagRecord::comment},
    V1Frame{ID3FID_CONTENTTYPE, &TagRecord::genre},
};

// id3lib keeps global state of its own and is not known to be thread-safe.
std::mutex& Id3libMutex() {
    static std::mutex mutex;
    return mutex;
}

// The last 128 bytes of the file when they hold an ID3v1 tag.
std::optional<std::array<char, 128>> Id3v1Block(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    std::array<char, 128> block{};
    if (!file || fseeko(file.get(), -128, SEEK_END) != 0 || std::fread(block.data(), 1, 128, file.get()) != 128 ||
        std::memcmp(block.data(), "TAG", 3) != 0)
        return std::nullopt;
    return block;
}

}  // namespace

TagRecord ReadId3v1Tags(const std::string& path) {
    TagRecord record;
    // id3lib is given the tag's own bytes: linked to a file name it also measures the MPEG
    // stream, which costs milliseconds per song and is not needed for text.
    const std::optional<std::array<char, 128>> block = Id3v1Block(path);
    if (!block) return record;
    std::lock_guard lock(Id3libMutex());
    ID3_MemoryReader reader(block->data(), block->size());
    ID3_Tag tag;
    tag.Link(reader, static_cast<flags_t>(ID3TT_ID3V1));
    for (const V1Frame& f : kV1Frames) {
        const ID3_Frame* frame = tag.Find(f.id);
        const ID3_Field* text = frame ? frame->GetField(ID3FN_TEXT) : nullptr;
        if (!text) continue;
        // An ID3v1 field has at most 30 bytes; the buffer only has to hold one.
        std::array<char, 1024> buffer{};
        text->Get(buffer.data(), buffer.size() - 1);
        record.*f.field = LegacyTextToUtf8(buffer.data());
    }
    return record;
}

TagRecord ReadMp3Tags(const std::string& path, bool preferId3v2) {
    TagRecord v2;
    if (preferId3v2) {
        if (auto tag = ReadId3v2File(path)) v2 = std::move(tag->fields);
    }
    TagRecord result = v2;
    const bool needV1 = v2.title.empty() || v2.artist.empty() || v2.album.empty() || v2.track.empty() ||
                        v2.year.empty() || v2.comment.empty() || v2.genre.empty();
    if (needV1) {
        const TagRecord v1 = ReadId3v1Tags(path);
        for (const V1Frame& f : kV1Frames)
            if ((result.*f.field).empty()) result.*f.field = v1.*f.field;
    }
    result.genre = GenreStoredForm(GenreDisplayName(result.genre));
    return result;
}

}  // namespace tavora
