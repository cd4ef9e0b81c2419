#pragma once
// Chooses the decoder for a file by its contents: RIFF/WAVE, Ogg Vorbis, or MPEG audio.
// Data of other known containers (ASF, FLAC, MP4, CD records ...) is refused rather
// than searched for MPEG frame headers.

#include <memory>

#include "ByteSource.h"
#include "Decoder.h"

namespace tavora::audio {

// nullptr when no decoder accepts the data; error then holds a BASS_ERROR_ code.
std::unique_ptr<Decoder> OpenDecoder(std::unique_ptr<ByteSource> input, int& error);

}  // namespace tavora::audio
