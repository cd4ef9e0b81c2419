#include "OggTagReader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <vorbis/vorbisfile.h>

#include "RegularFile.h"
#include "TagMessages.h"
#include "TextDecoding.h"

namespace tavora {
namespace {

struct CommentKey {
    std::string_view key;
    std::string TagRecord::*field;
};

constexpr std::array kKeys = {
    CommentKey{"TITLE", &TagRecord::title},       CommentKey{"TRACKNUMBER", &TagRecord::track},
    CommentKey{"ARTIST", &TagRecord::artist},     CommentKey{"ALBUM", &TagRecord::album},
    CommentKey{"DATE", &TagRecord::year},         CommentKey{"DESCRIPTION", &TagRecord::comment},
    CommentKey{"GENRE", &TagRecord::genre},
};

bool KeyMatches(std::string_view key, std::string_view upper) {
    if (key.size() != upper.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const char c = (key[i] >= 'a' && key[i] <= 'z') ? static_cast<char>(key[i] - 'a' + 'A') : key[i];
        if (c != upper[i]) return false;
    }
    return true;
}

size_t ReadFile(void* ptr, size_t size, size_t n, void* file) {
    return std::fread(ptr, size, n, static_cast<std::FILE*>(file));
}
int SeekFile(void* file, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<std::FILE*>(file), offset, whence);
}
int CloseFile(void* file) { return std::fclose(static_cast<std::FILE*>(file)); }
long TellFile(void* file) { return static_cast<long>(ftello(static_cast<std::FILE*>(file))); }

enum class OggFailure { None, Open, NotVorbis };

void TakeComments(OggVorbis_File& vf, TagRecord& record) {
    const vorbis_comment* vc = ov_comment(&vf, -1);
    if (!vc) return;
    for (int i = 0; i < vc->comments; ++i) {
        if (!vc->user_comments[i] || vc->comment_lengths[i] < 0) continue;
        const std::string_view raw(vc->user_comments[i], static_cast<size_t>(vc->comment_lengths[i]));
        const size_t eq = raw.find('=');
        if (eq == std::string_view::npos) continue;
        for (const CommentKey& k : kKeys) {
            if (!KeyMatches(raw.substr(0, eq), k.key)) continue;
            if (auto value = UnicodeOrCp949ToUtf8(raw.substr(eq + 1))) record.*k.field = *std::move(value);
            break;
        }
    }
}

// Opens the file as Ogg Vorbis: `full` also finds the stream's end (its length), otherwise
// only the headers are read, which is all the comments need.
OggFailure OpenVorbis(const std::string& path, OggVorbis_File& vf, bool full) {
    std::FILE* file = OpenRegularFile(path);
    if (!file) return OggFailure::Open;
    if (full) {
        // Not Ogg at all: said at once, where the library would search its first 64 KiB.
        char magic[4] = {};
        if (std::fread(magic, 1, 4, file) != 4 || std::memcmp(magic, "OggS", 4) != 0 || std::fseek(file, 0, SEEK_SET) != 0) {
            std::fclose(file);
            return OggFailure::NotVorbis;
        }
    }
    const ov_callbacks callbacks{ReadFile, SeekFile, CloseFile, TellFile};
    const int rc = full ? ov_open_callbacks(file, &vf, nullptr, 0, callbacks)
                        : ov_test_callbacks(file, &vf, nullptr, 0, callbacks);
    if (rc != 0) {
        std::fclose(file);  // a failed open leaves the file to its owner
        return OggFailure::NotVorbis;
    }
    return OggFailure::None;
}

OggFailure ReadComments(const std::string& path, TagRecord& record) {
    OggVorbis_File vf;
    const OggFailure failure = OpenVorbis(path, vf, false);
    if (failure != OggFailure::None) return failure;
    TakeComments(vf, record);
    ov_clear(&vf);
    return OggFailure::None;
}

}  // namespace

TagRecord ReadOggTags(const std::string& path) {
    TagRecord record;
    switch (ReadComments(path, record)) {
    case OggFailure::Open: ReportTagMessage("  실패 ", path); break;
    case OggFailure::NotVorbis: ReportTagMessage("OGG File open failed", path); break;
    case OggFailure::None: break;
    }
    return record;
}

TagReadResult ReadOggTagsChecked(const std::string& path) {
    TagReadResult result;
    switch (ReadComments(path, result.record)) {
    case OggFailure::Open: result.failure = "실패 "; break;
    case OggFailure::NotVorbis: result.failure = "fopen failed"; break;
    case OggFailure::None: break;
    }
    return result;
}

std::optional<OggTagsAndLength> ReadOggTagsAndLength(const std::string& path) {
    OggVorbis_File vf;
    if (OpenVorbis(path, vf, true) != OggFailure::None) return std::nullopt;
    std::optional<OggTagsAndLength> result;
    const vorbis_info* info = ov_info(&vf, -1);
    const ogg_int64_t frames = ov_seekable(&vf) ? ov_pcm_total(&vf, -1) : -1;
    // The stream the player's decoder takes with a known length; anything else (cut
    // before its first audio page, no end found, an odd format) is left to it.
    if (info && info->channels >= 1 && info->channels <= 8 && info->rate > 0 && info->rate <= 384000 && frames > 0) {
        result.emplace();
        TakeComments(vf, result->record);
        result->seconds = static_cast<double>(frames) / static_cast<double>(info->rate);
    }
    ov_clear(&vf);
    return result;
}

}  // namespace tavora
