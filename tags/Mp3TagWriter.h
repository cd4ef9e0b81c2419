#pragma once
// Writing the ID3v1 and ID3v2 tags of an MP3 file (the file side of the MP3 tag editor).
//
// ID3v2: the frames TIT2 TPE1 TALB TRCK TYER (TDRC in v2.4) COMM TCON TCOM TOPE TCOP TPUB
// TENC are set from the values; an empty value removes its frame. Every other frame
// (pictures, lyrics, TXXX, replay gain, comments with a description ...) stays as it was.
// The tag keeps its version: v2.4 stays v2.4, v2.3 stays v2.3; a v2.2 tag, which TagLib
// reads but cannot write, becomes v2.3, as does a new tag. Text that is not plain ASCII is
// stored as UTF-16.
//
// ID3v1: title, artist, album, comment, year and track, each in CP949 and cut to its field
// width at a character boundary (ID3v1 has no other way to hold Korean text). A tag left
// with no value at all is removed.
//
// Genre: genreText goes to both tags: "(17)Rock" or "(255)트로트" as the ID3v2 TCON text,
// its number as the ID3v1 genre byte. "(255)" alone clears the genre: no TCON frame and
// the ID3v1 byte 255. An empty genreText keeps the genres the file has.
//
// The file is edited as a copy in its own folder (target + ".tagtemp"), synced and renamed
// over the target (ReplacementFile.h): the target is either the old file or the new one.
// The audio frames between the tags are never touched. A read-only file is not written.
//
// Threading: any thread; TagLib's ID3v1 text handler is installed once, process-wide.

#include <string>
#include <vector>

#include "TagCopyEdit.h"
#include "TagRecord.h"
#include "TagWriteResult.h"

namespace tavora {

struct Mp3TagValues {
    TagRecord v1;  // title, artist, album, track, year, comment (the rest is ignored)
    TagRecord v2;  // all twelve fields except genre
    std::string genreText;  // "(n)name" as the editor builds it; "(255)": none; empty: keep
    // ID3v2 fields left exactly as the file has them, frames and encodings included (the
    // editor's "leave as it is"); their values in v2 are ignored.
    std::vector<std::string TagRecord::*> keepV2;
};

TagWriteResult WriteMp3Tag(const std::string& path, const Mp3TagValues& values);

// Makes TagLib read ID3v1 text as this program does (UTF-8, else CP949) and write it as
// CP949. WriteMp3Tag calls it; readers that use TagLib's ID3v1 tag may too.
void InstallId3v1TextHandler();

}  // namespace tavora
