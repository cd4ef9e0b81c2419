#pragma once
// The part of a tagged file that holds the audio, so that a writer can prove it left it
// alone: TagLib reports no failed write (a full disk leaves a short file behind), and a
// tag writer must never change the audio, so every edited copy is compared with the
// original before it may replace it.
//
// Threading: plain functions, any thread.

#include <cstdint>
#include <optional>
#include <string>

namespace tavora {

struct ByteRegion {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// MP3: after a leading ID3v2 tag and before a trailing ID3v1 tag. nullopt when no MPEG
// frames follow the tag, or when the tag's header claims more than the tag is (a size
// beyond the end of the file, or MPEG frames where its padding should be): rewriting
// such a tag would take audio with it.
std::optional<ByteRegion> Mp3AudioRegion(const std::string& path);
// ASF/WMA: everything after the header object (the data and index objects).
std::optional<ByteRegion> AsfAudioRegion(const std::string& path);

// Whether the two regions hold the same bytes.
bool SameRegionBytes(const std::string& pathA, ByteRegion a, const std::string& pathB, ByteRegion b);

}  // namespace tavora
