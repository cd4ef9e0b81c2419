#pragma once
// Writing the attributes of a WMA/ASF file that the tag window edits, through TagLib:
// "Title", "WM/AlbumTitle", "Author", "WM/Track", "Description", "WM/Year" and
// "WM/GenreID" (plus "WM/Genre", the name other players read). Only the fields named in
// `changed` are written: the window shows some fields empty even when the file has them,
// and an untouched field must not wipe the file's value. A changed field left empty
// removes its attribute instead of storing an empty text.
//
// Same replacement rule as the other writers (ReplacementFile.h): the copy
// target + ".tagtemp" is edited, checked (the audio after the header must be unchanged)
// and renamed over the target; a read-only file is not written.
//
// Messages, as the Windows Media editor gave them: a file that cannot be opened for
// editing gives "Open메소드를 실행할 수 없습니다.: 0x%08x" (0x80070002 missing,
// 0x80070005 not writable, 0x80004005 not ASF). A changed value longer than 254 UTF-16
// units (the editor's 255-unit buffer) is not written: its field keeps the file's value
// and gets "Title를 변경할수 없습니다.: 0x8007007a" (Album, Artist, Track, Comment, Year,
// Genre likewise) in fieldMessages, while the other fields are still written.
//
// Threading: any thread.

#include <string>

#include "TagRecord.h"
#include "TagWriteResult.h"

namespace tavora {

enum WmaField : unsigned {
    kWmaTitle = 1u << 0,
    kWmaAlbum = 1u << 1,
    kWmaArtist = 1u << 2,
    kWmaTrack = 1u << 3,
    kWmaComment = 1u << 4,
    kWmaYear = 1u << 5,
    kWmaGenre = 1u << 6,
};
using WmaFieldSet = unsigned;

TagWriteResult WriteWmaTags(const std::string& path, const TagRecord& values, WmaFieldSet changed);

}  // namespace tavora
