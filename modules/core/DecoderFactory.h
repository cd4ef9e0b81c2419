#pragma once
// Chooses the decoder for a file by its contents: RIFF/WAVE, Ogg Vorbis, or MPEG audio.
// Data of other known containers (ASF, FLAC, MP4, CD records ...) is refused rather
// than searched for MPEG frame headers.

#include <memory>
#include <string>

#include "ByteSource.h"
#include "Decoder.h"

namespace tavora::audio {

// nullptr when no decoder accepts the data; error then holds a BASS_ERROR_ code.
std::unique_ptr<Decoder> OpenDecoder(std::unique_ptr<ByteSource> input, int& error);

// A song file by its path, as OpenDecoder reads it. A WAVE file whose samples are coded
// in a form the WAV decoder does not read (A-law, mu-law, ADPCM, GSM ...) is decoded by
// FFmpeg (loaded then, FfmpegOnDemand.h), as the system's codecs would play it.
std::unique_ptr<Decoder> OpenFileDecoder(const std::string& path, int& error);

}  // namespace tavora::audio
