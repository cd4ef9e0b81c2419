// ffmpeg_decoder.so: the FFmpeg decoder as a module of its own, loaded on first need
// (see FfmpegOnDemand.h).

#include "FfmpegDecoder.h"
#include "FfmpegOnDemand.h"

extern "C" __attribute__((visibility("default"))) tavora::audio::Decoder* TavoraFfmpegOpen(
    const std::string& location, const std::string& requiredFormat,
    const std::shared_ptr<const tavora::audio::NetworkDeadline>& net) {
    return tavora::audio::FfmpegDecoder::Open(location, requiredFormat, net).release();
}

// The loader finds the entry point by name; its type must stay what the loader calls.
static_assert(std::is_same_v<decltype(&TavoraFfmpegOpen), tavora::audio::FfmpegOpenFunction>);
