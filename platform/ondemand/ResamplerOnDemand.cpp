// FFmpeg's resampler, loaded when a song's rate first differs from the output's (see
// OnDemandLibrary.h): with libavutil and the libraries those bring it comes to about
// 0.8 MB of resident memory, unused while the rates match.

extern "C" {
#include <libavutil/error.h>
#include <libswresample/swresample.h>
#include <libswresample/version_major.h>
}

#include <cerrno>

#include "OnDemandLibrary.h"

namespace {
#define TAVORA_STRING(x) #x
#define TAVORA_SONAME(major) "libswresample.so." TAVORA_STRING(major)
constexpr const char* kResampler = TAVORA_SONAME(LIBSWRESAMPLE_VERSION_MAJOR);
constexpr const char* kLost = "songs whose rate differs from the output's do not play";
}  // namespace

TAVORA_FORWARD(kResampler, kLost, AVERROR(ENOSYS), int, swr_alloc_set_opts2,
               (SwrContext * *ps, AVChannelLayout* outLayout, AVSampleFormat outFormat, int outRate,
                AVChannelLayout* inLayout, AVSampleFormat inFormat, int inRate, int logOffset, void* logContext),
               (ps, outLayout, outFormat, outRate, inLayout, inFormat, inRate, logOffset, logContext))
TAVORA_FORWARD(kResampler, kLost, AVERROR(ENOSYS), int, swr_init, (SwrContext * s), (s))
TAVORA_FORWARD(kResampler, kLost, AVERROR(ENOSYS), int, swr_convert,
               (SwrContext * s, uint8_t** out, int outCount, const uint8_t** in, int inCount),
               (s, out, outCount, in, inCount))
TAVORA_FORWARD(kResampler, kLost, AVERROR(ENOSYS), int, swr_get_out_samples, (SwrContext * s, int inSamples),
               (s, inSamples))
TAVORA_FORWARD(kResampler, kLost, 0, int64_t, swr_get_delay, (SwrContext * s, int64_t base), (s, base))

// Freeing no resampler (every channel that never needed one) loads nothing.
extern "C" void swr_free(SwrContext** s) {
    if (!s || !*s) return;
    static const auto real = tavora::OnDemandFunction<decltype(&swr_free)>(kResampler, kLost, "swr_free");
    if (real) real(s);
}
