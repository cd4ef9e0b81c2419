#pragma once
// FFmpeg, loaded when a file or address first needs it.
//
// FFmpeg and the libraries it pulls in (codecs, TLS, image and subtitle libraries)
// come to about 13 MB of resident memory in a player that only plays MP3 and Ogg.
// The FFmpeg decoder therefore lives in a module of its own, "ffmpeg_decoder.so" next to
// the module that calls this, and is loaded on the first WMA file, mms:// address or
// WAVE file the WAV reader does not decode (A-law, mu-law, ADPCM ...);
// it then stays loaded for the life of the process (decoders it made may still run).
//
// Threading: any thread; the first calls wait for one load.

#include <memory>
#include <string>

#include "Decoder.h"
#include "NetworkDeadline.h"

namespace tavora::audio {

inline constexpr const char* kFfmpegModule = "ffmpeg_decoder.so";

// As FfmpegDecoder::Open; nullptr as well when the FFmpeg module cannot be loaded (told
// once on stderr).
std::unique_ptr<Decoder> OpenWithFfmpeg(const std::string& location, const std::string& requiredFormat,
                                        std::shared_ptr<const NetworkDeadline> net = nullptr);

// The FFmpeg module's one entry point (FfmpegModule.cpp).
using FfmpegOpenFunction = Decoder* (*)(const std::string& location, const std::string& requiredFormat,
                                        const std::shared_ptr<const NetworkDeadline>& net);
inline constexpr const char* kFfmpegOpenSymbol = "TavoraFfmpegOpen";

}  // namespace tavora::audio
