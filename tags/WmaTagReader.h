#pragma once
// Attributes of WMA/ASF files through TagLib's ASF support: "Title", "Author",
// "WM/AlbumTitle" and "WM/Track" (falling back to "WM/TrackNumber", which current encoders
// write instead), and for the tag window "WM/Year", "Description" and "WM/Genre" (falling
// back to "WM/GenreID"). Numeric attribute values are given in decimal.
//
// A file that cannot be opened as ASF reports "Open메소드를 실행할 수 없습니다.: 0x%08x"
// through ReportTagMessage and yields empty fields. Threading: safe from any thread.

#include <string>

#include "TagReadResult.h"
#include "TagRecord.h"

namespace tavora {

TagRecord ReadWmaTags(const std::string& path);

// The same without reporting: a failure gives its message in `failure` instead, so that the
// tag window can show it and skip the file.
TagReadResult ReadWmaTagsChecked(const std::string& path);

}  // namespace tavora
