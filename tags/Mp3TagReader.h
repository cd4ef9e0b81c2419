#pragma once
// Tags of MP3 files: the ID3v2 tag through our own frame reader (Id3v2Reader.h), the
// ID3v1 tag through id3lib. Per field, the ID3v2 text is used when preferId3v2 is set and
// the text is not empty; otherwise the ID3v1 text (so with preferId3v2 off, an ID3v2-only
// file has no fields at all).
//
// Threading: safe from any thread; calls into id3lib are serialised inside.

#include <string>

#include "TagRecord.h"

namespace tavora {

// All fields; genre in the "(n)name" form. Empty fields when the file has no tag or cannot
// be read.
TagRecord ReadMp3Tags(const std::string& path, bool preferId3v2);

// The ID3v1 tag alone, decoded (CP949 bytes become UTF-8); genre as id3lib gives it, "(n)".
TagRecord ReadId3v1Tags(const std::string& path);

}  // namespace tavora
