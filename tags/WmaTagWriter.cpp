#include "WmaTagWriter.h"

#include <array>

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include "TagCopyEdit.h"

namespace tavora {
namespace {

constexpr const char* kOpenFailed = "Open메소드를 실행할 수 없습니다.: 0x80004005";

struct Attribute {
    WmaField field;
    const char* name;
    std::string TagRecord::*value;
};

// "Title", "Author" and "Description" live in the content description object, which
// TagLib edits through the tag's own setters; the rest are extended attributes.
constexpr std::array kExtended = {
    Attribute{kWmaAlbum, "WM/AlbumTitle", &TagRecord::album},
    Attribute{kWmaTrack, "WM/Track", &TagRecord::track},
    Attribute{kWmaYear, "WM/Year", &TagRecord::year},
    Attribute{kWmaGenre, "WM/GenreID", &TagRecord::genre},
    Attribute{kWmaGenre, "WM/Genre", &TagRecord::genre},
};

TagLib::String Text(const std::string& utf8) { return TagLib::String(utf8, TagLib::String::UTF8); }

void Apply(TagLib::ASF::Tag& tag, const TagRecord& values, WmaFieldSet changed) {
    if (changed & kWmaTitle) tag.setTitle(Text(values.title));
    if (changed & kWmaArtist) tag.setArtist(Text(values.artist));
    if (changed & kWmaComment) {
        // Some writers (ffmpeg) store the description as an extended attribute too; the
        // old text must not survive there.
        tag.removeItem("Description");
        tag.setComment(Text(values.comment));
    }
    for (const Attribute& a : kExtended) {
        if (!(changed & a.field)) continue;
        const std::string& value = values.*a.value;
        if (value.empty()) tag.removeItem(a.name);
        else tag.setAttribute(a.name, TagLib::ASF::Attribute(Text(value)));
    }
}

}  // namespace

TagWriteResult WriteWmaTags(const std::string& path, const TagRecord& values, WmaFieldSet changed) {
    return EditTagCopy(path, AsfAudioRegion, [&](const std::string& copy) -> TagWriteResult {
        TagLib::ASF::File file(copy.c_str(), false);
        if (!file.isValid() || !file.tag()) return TagWriteFailure(kOpenFailed, "not an ASF file", path);
        Apply(*file.tag(), values, changed);
        if (!file.save()) return TagWriteFailure(kTagWriteFailedText, "TagLib could not save", path);
        return {true, {}, {}};
    });
}

}  // namespace tavora
