#pragma once
// Length and format of local audio files, read straight from the decoders: MPEG audio
// from its headers (MpegHeaderLength.h), else through mpg123 with a full frame scan
// (exact, also for VBR files without a header),
// Ogg Vorbis through libvorbisfile, WMA/ASF and WAV through TagLib's audio properties,
// audio-CD tracks named by RIFF "CDDA" records from the disc's table of contents.
// The format is recognised by the file's content (contracts/ContentSniffer.h); MPEG
// audio, which has no reliable signature, is tried for ID3-tagged files, files starting
// with a frame sync and files the media table's MPEG-by-name use names (in any case).
//
// Threading: safe from any thread; each call opens its own decoder.

#include <optional>
#include <string>

namespace tavora {

struct AudioProbe {
    double seconds = 0;
    int sampleRate = 0;
    int channels = 0;
};

std::optional<AudioProbe> ProbeAudioFile(const std::string& path);

// The length in seconds; nullopt when the file is missing or no decoder accepts it.
std::optional<double> ReadTrackLength(const std::string& path);

// "%02d:%02d" of whole minutes (not limited to two digits) and remaining whole seconds.
std::string FormatTrackTime(double seconds);

}  // namespace tavora
