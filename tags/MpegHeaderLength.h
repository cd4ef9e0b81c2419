#pragma once
// The length of an MPEG audio file (MP1/MP2/MP3) from its headers, without walking the
// frames: the frame count of a Xing/Info header (less the encoder delay and padding its
// LAME extension names, as a gapless decoder plays it) or of a VBRI header; for a file
// without such a header whose first frames all have one bit rate (CBR), the audio bytes
// over that bit rate. Anything else (free-format bit rate, a VBR file without a header,
// junk before the first frame, a header that claims more data than the file holds) gives
// nullopt, and the caller asks the decoder, which walks every frame.
//
// The parser works on bytes only and is safe on any input. Thread-safe.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "TrackLength.h"

namespace tavora {

// `audio`: the file's bytes from just after its ID3v2 tag (the first frame), at least the
// first few frames; `audioOffset`: where they start in the file; `fileSize`: the file's
// size; `tail`: the file's last bytes (up to 256), for an ID3v1 or APE tag at the end.
std::optional<AudioProbe> MpegLengthFromHeaders(std::span<const uint8_t> audio, uint64_t audioOffset,
                                               uint64_t fileSize, std::span<const uint8_t> tail);

// Where MPEG audio starts in data: the first frame header within the first `searchLimit`
// bytes that two more frames of its kind follow, or, when data runs to the end of the
// audio (`dataIsAll`), whose run of frames ends exactly there. nullopt when there is none.
std::optional<size_t> FindMpegFrameRun(std::span<const uint8_t> data, size_t searchLimit, bool dataIsAll);

// Reads what MpegLengthFromHeaders needs from the file (a few kilobytes).
std::optional<AudioProbe> ReadMpegHeaderLength(const std::string& path);

}  // namespace tavora
