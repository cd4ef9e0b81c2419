#pragma once
// Saving the tag of an Ogg Vorbis file: the seven fields of the tag window replace the
// file's comments "TITLE", "TRACKNUMBER", "ALBUM", "ARTIST", "DATE", "DESCRIPTION" and
// "GENRE" (keys in any case), written after the other comments in this order, from title,
// track, album, artist, year, comment and genre. An empty field writes no comment, so it
// removes that key. Every other comment (ReplayGain, pictures, album artist, disc number,
// MusicBrainz ids ...) stays, in its order, and so do the vendor string and the audio
// (VorbisCommentEditor.h).
//
// The new file is written to target + ".vctemp" and renamed over the target only when
// complete and synced (ReplacementFile.h); on any failure the target is unchanged and the
// temporary file removed. A read-only target is not written.
//
// Messages: a file that does not open as Ogg Vorbis gives userMessage "vcedit_open ERROR";
// a failed rewrite gives the editor's last error. Values that are neither UTF-8 nor CP949
// are skipped with "Unicode translation error %d\n" on the standard error stream, and the
// editor's last error goes there too.
//
// Threading: any thread; concurrent writes of the same file are not supported.

#include <string>

#include "TagRecord.h"
#include "TagWriteResult.h"

namespace tavora {

inline constexpr const char* kOggTempSuffix = ".vctemp";

TagWriteResult WriteOggTag(const std::string& path, const TagRecord& fields);

}  // namespace tavora
