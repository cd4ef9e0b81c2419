#pragma once
// A reader for the text frames of ID3v2.2, v2.3 and v2.4 tags.
//
// id3lib reads neither v2.4 tags nor UTF-16 text correctly (it byte-swaps it), and v2.4 with
// UTF-8 text is what most taggers write today, so the player reads ID3v2 text itself and
// leaves id3lib the ID3v1 tag. Only the frames the player shows are decoded: TIT2 TPE1 TALB
// TRCK TYER/TDRC COMM TCON TCOM TOPE TCOP TPUB TENC and their three-letter v2.2 forms.
// Compressed and encrypted frames are skipped. Every text is UTF-8, cut to kId3FieldLimit
// bytes at a character boundary.
//
// The parser works on bytes only and is safe on any input. Thread-safe.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "TagRecord.h"

namespace tavora {

// Longest text taken from one ID3 field, in bytes.
inline constexpr size_t kId3FieldLimit = 1023;

struct Id3v2Tag {
    int majorVersion = 0;  // 2, 3 or 4
    TagRecord fields;      // genre exactly as stored in TCON (not normalised)
    // Where the frames end, counted from the start of the tag (header included): at the
    // padding, or at the first bytes that are no frame. nullopt for a tag whose whole body
    // is unsynchronised (its frames are walked in the undone body, whose offsets are not
    // the file's) or whose frames could not be walked.
    std::optional<size_t> framesEnd;
};

// Size of the whole tag (header, body and footer) when header holds the 10-byte header of
// an ID3v2 tag of a version this reader knows; nullopt otherwise.
std::optional<size_t> Id3v2TagSize(std::span<const uint8_t> header);

// Parses the tag at the start of data. A tag cut short by the end of data yields the frames
// that are complete.
std::optional<Id3v2Tag> ParseId3v2(std::span<const uint8_t> data);

// Reads the tag at the start of the file; nullopt when there is none or the file cannot
// be read.
std::optional<Id3v2Tag> ReadId3v2File(const std::string& path);

}  // namespace tavora
