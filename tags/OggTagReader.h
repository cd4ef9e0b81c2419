#pragma once
// Vorbis comments of Ogg files through libvorbisfile: TITLE, ARTIST, ALBUM, TRACKNUMBER,
// DATE, DESCRIPTION and GENRE. Keys are matched without regard to case, as Vorbis comments
// define them; the value is everything after the first "="; a later comment with the same
// key replaces an earlier one. Values that are not UTF-8 are read as CP949; a value that is
// neither is skipped.
//
// A file that cannot be opened reports "  실패 ", one that is not Ogg Vorbis reports
// "OGG File open failed" (ReportTagMessage); both yield empty fields.
// Threading: safe from any thread.

#include <optional>
#include <string>

#include "TagReadResult.h"
#include "TagRecord.h"

namespace tavora {

TagRecord ReadOggTags(const std::string& path);

// The comments and the length (whole stream, every link) in one open of the file, for
// the list loads; nullopt (and no report) when it does not open as Ogg Vorbis with a
// known length.
struct OggTagsAndLength {
    TagRecord record;
    double seconds = 0;
};
std::optional<OggTagsAndLength> ReadOggTagsAndLength(const std::string& path);

// For the tag window: no report, and the window's own messages in `failure`: "실패 " when
// the file cannot be opened, "fopen failed" when it is not a readable Ogg Vorbis file.
TagReadResult ReadOggTagsChecked(const std::string& path);

}  // namespace tavora
