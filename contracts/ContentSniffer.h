#pragma once
// The one content sniffer: what the first bytes of a file or stream say it is. The
// engine picks its decoder by it, the length probe its reader, the WMA module whether
// FFmpeg's ASF reader may try the file. Names play no part here (MediaTypes.h).
//
// Pure function over the given bytes; safe on any thread.

#include <cstddef>
#include <cstdint>

namespace tavora::media {

// Bytes the sniffer looks at; fewer are fine (a short file), more are ignored.
inline constexpr size_t kSniffBytes = 16;

enum class Content : uint8_t {
    Unknown,    // nothing recognised (raw MPEG audio may still be in it)
    Wave,       // "RIFF" <size> "WAVE"
    CdaRecord,  // "RIFF" <size> "CDDA": the record a CD drive shows for an audio track
    OtherRiff,  // any other RIFF file (AVI, ...)
    Ogg,        // "OggS"
    Asf,        // the ASF header object's GUID
    Flac,       // "fLaC"
    Mp4,        // "ftyp" at offset 4 (MP4, M4A, 3GP)
    Midi,       // "MThd"
    Iff,        // "FORM" (AIFF, ...)
    Id3,        // an ID3v2 tag, MPEG audio after it
    MpegSync,   // an MPEG audio frame sync (11 set bits)
};

Content SniffContent(const uint8_t* head, size_t size);

}  // namespace tavora::media
