#pragma once
// Length of the audio-CD track that a RIFF "CDDA" record names (the 44-byte RIFF "CDDA"
// record a CD drive shows for each track), read from the disc's table of contents
// through libcdio. The drive is the one playback uses: $TAVORA_CD_DEVICE (a device
// node or a CD image such as a .cue/.bin pair) or else the default CD drive.
//
// Threading: safe from any thread; each call opens the drive on its own.

#include <cstddef>
#include <optional>
#include <string>

namespace tavora {

// Whether the first bytes of a file are those of an audio-CD track record.
bool LooksLikeCdaRecord(const unsigned char* head, size_t size);

// Seconds of the named track; nullopt when the file is no record, or there is no disc,
// or the disc has no such audio track.
std::optional<double> ReadCdTrackLength(const std::string& cdaPath);

}  // namespace tavora
