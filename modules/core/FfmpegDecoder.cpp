#include "FfmpegDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

#include "MediaTypes.h"
#include "tavora/bass_api.h"

namespace tavora::audio {

struct FfmpegDecoder::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    bool ended = false;
    std::vector<float> pending;  // converted frames not handed out yet
    size_t pendingStart = 0;     // in samples
    int64_t lastStart = -1;      // frame number where the last decoded block starts, -1 unknown
    std::shared_ptr<const NetworkDeadline> net;

    ~State() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&swr);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

FfmpegDecoder::FfmpegDecoder() : state_(new State) {}
FfmpegDecoder::~FfmpegDecoder() = default;

std::unique_ptr<Decoder> FfmpegDecoder::Open(const std::string& location, const std::string& requiredFormat,
                                             std::shared_ptr<const NetworkDeadline> net) {
    std::unique_ptr<FfmpegDecoder> decoder(new FfmpegDecoder);
    decoder->state_->net = std::move(net);
    if (!decoder->Init(location, requiredFormat)) return nullptr;
    return decoder;
}

namespace {
// FFmpeg calls this while it waits in connect, read and poll; nonzero ends the wait.
int Interrupted(void* user) { return static_cast<const NetworkDeadline*>(user)->ShouldStop() ? 1 : 0; }
}  // namespace

bool FfmpegDecoder::Init(const std::string& location, const std::string& requiredFormat) {
    av_log_set_level(AV_LOG_QUIET);
    State& s = *state_;
    AVDictionary* options = nullptr;
    if (s.net) {
        // A server that goes silent ends a read after 10 s; the deadline and a cancel
        // are checked by the interrupt callback far more often.
        av_dict_set(&options, "rw_timeout", "10000000", 0);
        s.format = avformat_alloc_context();
        if (!s.format) return false;
        s.format->interrupt_callback.callback = Interrupted;
        s.format->interrupt_callback.opaque = const_cast<NetworkDeadline*>(s.net.get());
    }
    const AVInputFormat* forced = nullptr;
    if (!requiredFormat.empty()) forced = av_find_input_format(requiredFormat.c_str());
    const int rc = avformat_open_input(&s.format, location.c_str(), forced, &options);
    av_dict_free(&options);
    if (rc < 0) return false;
    if (!requiredFormat.empty() && std::strcmp(s.format->iformat->name, requiredFormat.c_str()) != 0) return false;
    if (avformat_find_stream_info(s.format, nullptr) < 0) return false;
    const AVCodec* codec = nullptr;
    s.stream = av_find_best_stream(s.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (s.stream < 0 || !codec) return false;
    AVStream* stream = s.format->streams[s.stream];
    s.codec = avcodec_alloc_context3(codec);
    if (!s.codec || avcodec_parameters_to_context(s.codec, stream->codecpar) < 0) return false;
    if (avcodec_open2(s.codec, codec, nullptr) < 0) return false;
    rate_ = s.codec->sample_rate;
    channels_ = s.codec->ch_layout.nb_channels;
    if (rate_ <= 0 || channels_ < 1 || channels_ > 8) return false;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels_);
    if (swr_alloc_set_opts2(&s.swr, &layout, AV_SAMPLE_FMT_FLT, rate_, &s.codec->ch_layout, s.codec->sample_fmt,
                            rate_, 0, nullptr) < 0 ||
        swr_init(s.swr) < 0)
        return false;
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (s.format->duration > 0 && (s.format->pb && (s.format->pb->seekable & AVIO_SEEKABLE_NORMAL)))
        length_ = av_rescale(s.format->duration, rate_, AV_TIME_BASE);
    return true;
}

uint32_t FfmpegDecoder::ContentType() const {
    const AVFormatContext* format = state_->format;
    const bool wave =
        format && format->iformat && media::MediaOfFfmpegFormat(format->iformat->name) == media::Media::Wav;
    return wave ? BASS_CTYPE_STREAM_WAV : BASS_CTYPE_STREAM_WMA;
}

int64_t FfmpegDecoder::InputPosition() const {
    return state_->format->pb ? avio_tell(state_->format->pb) : 0;
}

int64_t FfmpegDecoder::InputSize() const {
    const int64_t size = state_->format->pb ? avio_size(state_->format->pb) : -1;
    return size > 0 ? size : -1;
}

bool FfmpegDecoder::DecodeMore() {
    State& s = *state_;
    for (int attempts = 0; attempts < 1000 && !s.ended; ++attempts) {
        const int rc = avcodec_receive_frame(s.codec, s.frame);
        if (rc == 0) {
            const int outSamples = swr_get_out_samples(s.swr, s.frame->nb_samples);
            if (outSamples <= 0) continue;
            std::vector<float> buffer(static_cast<size_t>(outSamples) * channels_);
            uint8_t* out[1] = {reinterpret_cast<uint8_t*>(buffer.data())};
            const int got = swr_convert(s.swr, out, outSamples, const_cast<const uint8_t**>(s.frame->extended_data),
                                        s.frame->nb_samples);
            const int64_t pts = s.frame->best_effort_timestamp;
            s.lastStart = pts == AV_NOPTS_VALUE ? -1
                          : av_rescale_q(pts, s.format->streams[s.stream]->time_base, AVRational {1, rate_});
            av_frame_unref(s.frame);
            if (got <= 0) continue;
            s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<long>(s.pendingStart));
            s.pendingStart = 0;
            s.pending.insert(s.pending.end(), buffer.begin(), buffer.begin() + static_cast<long>(got) * channels_);
            return true;
        }
        if (rc == AVERROR_EOF) { s.ended = true; break; }
        const int read = av_read_frame(s.format, s.packet);
        if (read < 0) {
            avcodec_send_packet(s.codec, nullptr);  // drain what the codec still holds
            if (avcodec_receive_frame(s.codec, s.frame) != 0) s.ended = true;
            else av_frame_unref(s.frame);
            continue;
        }
        if (s.packet->stream_index == s.stream) avcodec_send_packet(s.codec, s.packet);
        av_packet_unref(s.packet);
    }
    return false;
}

size_t FfmpegDecoder::Read(float* out, size_t frames) {
    State& s = *state_;
    size_t done = 0;
    while (done < frames) {
        size_t available = (s.pending.size() - s.pendingStart) / channels_;
        if (available == 0) {
            if (!DecodeMore()) break;
            continue;
        }
        if (skipFrames_ > 0) {
            const size_t skip = std::min<size_t>(available, static_cast<size_t>(skipFrames_));
            s.pendingStart += skip * channels_;
            skipFrames_ -= static_cast<int64_t>(skip);
            continue;
        }
        const size_t n = std::min(available, frames - done);
        std::memcpy(out + done * channels_, s.pending.data() + s.pendingStart, n * channels_ * sizeof(float));
        s.pendingStart += n * channels_;
        done += n;
    }
    return done;
}

bool FfmpegDecoder::Seek(uint64_t frame) {
    State& s = *state_;
    if (length_ < 0) return false;
    AVStream* stream = s.format->streams[s.stream];
    const int64_t ts = av_rescale_q(static_cast<int64_t>(frame), AVRational {1, rate_}, stream->time_base);
    if (av_seek_frame(s.format, s.stream, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(s.codec);
    s.pending.clear();
    s.pendingStart = 0;
    s.ended = false;
    // Land on the exact frame: decode from the packet before it and drop the lead-in.
    if (!DecodeMore()) return true;
    const int64_t landed = s.lastStart >= 0 ? s.lastStart : static_cast<int64_t>(frame);
    skipFrames_ = std::max<int64_t>(0, static_cast<int64_t>(frame) - landed);
    return true;
}

}  // namespace tavora::audio
