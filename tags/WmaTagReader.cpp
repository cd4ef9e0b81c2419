#include "WmaTagReader.h"

#include <cstdio>

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include "RegularFile.h"
#include "TagMessages.h"

namespace tavora {
namespace {

// The codes the Windows Media reader gave for a missing file and for any other failure;
// users and the help pages know these numbers.
constexpr unsigned kFileNotFound = 0x80070002;
constexpr unsigned kFailed = 0x80004005;

std::string AttributeText(const TagLib::ASF::Attribute& a) {
    using A = TagLib::ASF::Attribute;
    switch (a.type()) {
    case A::UnicodeType: return a.toString().to8Bit(true);
    case A::DWordType: return std::to_string(a.toUInt());
    case A::QWordType: return std::to_string(a.toULongLong());
    case A::WordType: return std::to_string(a.toUShort());
    case A::BoolType: return a.toBool() ? "1" : "0";
    default: return {};
    }
}

std::string Attribute(const TagLib::ASF::Tag& tag, const char* name) {
    const TagLib::ASF::AttributeList list = tag.attribute(name);
    return list.isEmpty() ? std::string() : AttributeText(list.front());
}

std::string OpenFailure(unsigned code) {
    char message[96];
    std::snprintf(message, sizeof message, "Open메소드를 실행할 수 없습니다.: 0x%08x", code);
    return message;
}

}  // namespace

TagRecord ReadWmaTags(const std::string& path) {
    TagReadResult result = ReadWmaTagsChecked(path);
    if (!result.failure.empty()) ReportTagMessage(result.failure, path);
    return std::move(result.record);
}

TagReadResult ReadWmaTagsChecked(const std::string& path) {
    TagReadResult result;
    TagRecord& record = result.record;
    if (access(path.c_str(), R_OK) != 0) {
        result.failure = OpenFailure(kFileNotFound);
        return result;
    }
    // TagLib would open the name itself, and a FIFO would block it; anything that is
    // there but no regular file fails like a file that is not Windows Media.
    const int fd = OpenRegularFileFd(path);
    if (fd < 0) {
        result.failure = OpenFailure(kFailed);
        return result;
    }
    TagLib::FileStream stream(fd, true);
    TagLib::ASF::File file(&stream, false);
    const TagLib::ASF::Tag* tag = file.isValid() ? file.tag() : nullptr;
    if (!tag) {
        result.failure = OpenFailure(kFailed);
        return result;
    }
    // "Title" and "Author" live in the content description; some writers put them among
    // the extended attributes as well.
    record.title = tag->title().to8Bit(true);
    if (record.title.empty()) record.title = Attribute(*tag, "Title");
    record.artist = tag->artist().to8Bit(true);
    if (record.artist.empty()) record.artist = Attribute(*tag, "Author");
    record.album = Attribute(*tag, "WM/AlbumTitle");
    record.track = Attribute(*tag, "WM/Track");
    if (record.track.empty()) record.track = Attribute(*tag, "WM/TrackNumber");
    // Shown by the tag window so that saving keeps them unless the user changes them.
    record.year = Attribute(*tag, "WM/Year");
    record.comment = tag->comment().to8Bit(true);
    if (record.comment.empty()) record.comment = Attribute(*tag, "Description");
    record.genre = Attribute(*tag, "WM/Genre");
    if (record.genre.empty()) record.genre = Attribute(*tag, "WM/GenreID");
    return result;
}

}  // namespace tavora
