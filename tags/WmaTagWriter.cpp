#include "WmaTagWriter.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include <unistd.h>

#include "ReplacementFile.h"
#include "TagCopyEdit.h"

namespace tavora {
namespace {

// The codes the Windows Media editor gave: file missing, access denied, any other failure,
// and a value too long for its 255-unit conversion buffer.
constexpr unsigned kFileNotFound = 0x80070002;
constexpr unsigned kAccessDenied = 0x80070005;
constexpr unsigned kFailed = 0x80004005;
constexpr unsigned kBufferTooSmall = 0x8007007A;
// The longest value: 255 UTF-16 units with the terminating null.
constexpr size_t kMaxValueUnits = 254;

std::string Coded(const char* text, unsigned code) {
    char message[128];
    std::snprintf(message, sizeof message, "%s: 0x%08x", text, code);
    return message;
}

std::string OpenFailure(unsigned code) { return Coded("Open메소드를 실행할 수 없습니다.", code); }

struct Attribute {
    WmaField field;
    const char* name;
    std::string TagRecord::*value;
};

// The message when a field's attribute cannot be set.
constexpr std::array<std::pair<WmaField, const char*>, 7> kFieldFailures = {{
    {kWmaTitle, "Title를 변경할수 없습니다."},
    {kWmaAlbum, "Album를 변경할수 없습니다."},
    {kWmaArtist, "Artist를 변경할수 없습니다."},
    {kWmaTrack, "Track를 변경할수 없습니다."},
    {kWmaComment, "Comment를 변경할수 없습니다."},
    {kWmaYear, "Year를 변경할수 없습니다."},
    {kWmaGenre, "Genre를 변경할수 없습니다."},
}};

constexpr std::array<std::pair<WmaField, std::string TagRecord::*>, 7> kFieldValues = {{
    {kWmaTitle, &TagRecord::title},
    {kWmaAlbum, &TagRecord::album},
    {kWmaArtist, &TagRecord::artist},
    {kWmaTrack, &TagRecord::track},
    {kWmaComment, &TagRecord::comment},
    {kWmaYear, &TagRecord::year},
    {kWmaGenre, &TagRecord::genre},
}};

// UTF-16 units of UTF-8 text: one per character, two for those beyond the BMP.
size_t Utf16Units(const std::string& utf8) {
    size_t units = 0;
    for (const unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++units;
        if (c >= 0xF0) ++units;
    }
    return units;
}

// The changed fields whose values do not fit: each gets its message and is left as the
// file has it.
WmaFieldSet Fitting(const TagRecord& values, WmaFieldSet changed, std::vector<std::string>& messages) {
    for (size_t i = 0; i < kFieldValues.size(); ++i) {
        const WmaField field = kFieldValues[i].first;
        if (!(changed & field) || Utf16Units(values.*kFieldValues[i].second) <= kMaxValueUnits) continue;
        messages.push_back(Coded(kFieldFailures[i].second, kBufferTooSmall));
        changed &= ~static_cast<WmaFieldSet>(field);
    }
    return changed;
}

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
    // Opening the file for editing: it must be there, writable and Windows Media.
    if (access(path.c_str(), F_OK) != 0) return TagWriteFailure(OpenFailure(kFileNotFound), std::strerror(errno), path);
    std::string why;
    if (!IsWritableTagTarget(path, &why)) {
        // A read-only file is refused access; a folder or device under a song's name is
        // no file the editor can open.
        const bool denied = why == std::strerror(EACCES);
        return TagWriteFailure(OpenFailure(denied ? kAccessDenied : kFailed), why, path);
    }
    if (!AsfAudioRegion(path)) return TagWriteFailure(OpenFailure(kFailed), "not an ASF file", path);
    std::vector<std::string> fieldMessages;
    const WmaFieldSet written = Fitting(values, changed, fieldMessages);
    TagWriteResult result = EditTagCopy(path, AsfAudioRegion, [&](const std::string& copy) -> TagWriteResult {
        TagLib::ASF::File file(copy.c_str(), false);
        if (!file.isValid()) return TagWriteFailure(OpenFailure(kFailed), "not an ASF file", path);
        if (!file.tag()) {
            const std::string noHeader = Coded("IWMHeaderInfo인터페이스를 요청할 수없습니다.", kFailed);
            return TagWriteFailure(noHeader, "no header", path);
        }
        Apply(*file.tag(), values, written);
        if (!file.save()) return TagWriteFailure(kTagWriteFailedText, "TagLib could not save", path);
        return TagWritten();
    });
    result.fieldMessages = std::move(fieldMessages);
    return result;
}

}  // namespace tavora
