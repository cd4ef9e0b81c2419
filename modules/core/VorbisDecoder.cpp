#include "VorbisDecoder.h"

#include <vorbis/vorbisfile.h>
#include <strings.h>

#include <algorithm>

#include <cstring>

#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

size_t ReadCallback(void* ptr, size_t size, size_t count, void* source) {
    if (size == 0) return 0;
    return static_cast<ByteSource*>(source)->Read(ptr, size * count) / size;
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
    auto* input = static_cast<ByteSource*>(source);
    if (!input->Seekable()) return -1;
    int64_t target = offset;
    if (whence == SEEK_CUR) target += input->Tell();
    else if (whence == SEEK_END) target += input->Size();
    return input->Seek(target) ? 0 : -1;
}

long TellCallback(void* source) { return static_cast<long>(static_cast<ByteSource*>(source)->Tell()); }

std::string CommentValue(const vorbis_comment* comment, const char* key) {
    if (!comment) return {};
    const size_t keyLength = std::strlen(key);
    for (int i = 0; i < comment->comments; ++i) {
        const char* text = comment->user_comments[i];
        const int length = comment->comment_lengths[i];
        if (!text || length <= static_cast<int>(keyLength)) continue;
        if (strncasecmp(text, key, keyLength) == 0 && text[keyLength] == '=')
            return std::string(text + keyLength + 1, static_cast<size_t>(length) - keyLength - 1);
    }
    return {};
}

// Planar to interleaved; mono and stereo, by far the most common, get loops the
// compiler turns into vector code.
void Interleave(float* const* pcm, size_t frames, int channels, float* out) {
    if (channels == 1) {
        std::memcpy(out, pcm[0], frames * sizeof(float));
    } else if (channels == 2) {
        const float* left = pcm[0];
        const float* right = pcm[1];
        for (size_t i = 0; i < frames; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
    } else {
        for (size_t i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c) out[i * static_cast<size_t>(channels) + c] = pcm[c][i];
    }
}

}  // namespace

struct VorbisDecoder::State {
    OggVorbis_File file {};
    bool open = false;
};

VorbisDecoder::VorbisDecoder(std::unique_ptr<ByteSource> input) : input_(std::move(input)), state_(new State) {}

VorbisDecoder::~VorbisDecoder() {
    if (state_->open) ov_clear(&state_->file);
}

std::unique_ptr<Decoder> VorbisDecoder::Open(std::unique_ptr<ByteSource> input) {
    std::unique_ptr<VorbisDecoder> decoder(new VorbisDecoder(std::move(input)));
    if (!decoder->Init()) return nullptr;
    return decoder;
}

bool VorbisDecoder::Init() {
    ov_callbacks callbacks {ReadCallback, SeekCallback, nullptr, TellCallback};
    if (!input_->Seekable()) callbacks.seek_func = nullptr, callbacks.tell_func = nullptr;
    if (ov_open_callbacks(input_.get(), &state_->file, nullptr, 0, callbacks) != 0) return false;
    state_->open = true;
    if (ov_seekable(&state_->file) && ov_pcm_total(&state_->file, -1) <= 0) {
        // A file cut off before its first complete audio page: libvorbisfile finds no
        // end and would play nothing. Read it front to back instead, without a length.
        ov_clear(&state_->file);
        state_->open = false;
        if (!input_->Seek(0)) return false;
        callbacks.seek_func = nullptr;
        callbacks.tell_func = nullptr;
        if (ov_open_callbacks(input_.get(), &state_->file, nullptr, 0, callbacks) != 0) return false;
        state_->open = true;
    }
    const vorbis_info* info = ov_info(&state_->file, -1);
    if (!info || info->channels < 1 || info->channels > 8 || info->rate <= 0 || info->rate > 384000) return false;
    rate_ = static_cast<int>(info->rate);
    channels_ = info->channels;
    if (ov_seekable(&state_->file)) {
        const ogg_int64_t total = ov_pcm_total(&state_->file, -1);
        if (total >= 0) length_ = total;
    }
    UpdateTitle(ov_seekable(&state_->file) ? 0 : -1);
    return true;
}

uint32_t VorbisDecoder::ContentType() const { return BASS_CTYPE_STREAM_OGG; }

void VorbisDecoder::UpdateTitle(int link) {
    link_ = link;
    const vorbis_comment* comment = ov_comment(&state_->file, link);
    const std::string artist = CommentValue(comment, "ARTIST");
    const std::string title = CommentValue(comment, "TITLE");
    title_ = artist.empty() ? title : title.empty() ? artist : artist + " - " + title;
}

size_t VorbisDecoder::Read(float* out, size_t frames) {
    size_t done = 0;
    int failures = 0;
    while (done < frames && !ended_) {
        float** pcm = nullptr;
        int link = 0;
        const int want = static_cast<int>(std::min<size_t>(frames - done, 4096));
        const long got = ov_read_float(&state_->file, &pcm, want, &link);
        if (got == OV_HOLE) {  // a gap in the data: skip it, but never loop forever
            if (++failures > 100) ended_ = true;
            continue;
        }
        if (got <= 0) { ended_ = true; break; }
        if (link != link_) {
            const vorbis_info* info = ov_info(&state_->file, link);
            if (!info || info->channels != channels_) { ended_ = true; break; }
            UpdateTitle(link);
        }
        Interleave(pcm, static_cast<size_t>(got), channels_, out + done * static_cast<size_t>(channels_));
        done += static_cast<size_t>(got);
    }
    return done;
}

bool VorbisDecoder::Seek(uint64_t frame) {
    if (!ov_seekable(&state_->file)) return false;
    if (length_ >= 0 && frame > static_cast<uint64_t>(length_)) frame = static_cast<uint64_t>(length_);
    if (ov_pcm_seek(&state_->file, static_cast<ogg_int64_t>(frame)) != 0) return false;
    ended_ = false;
    return true;
}

}  // namespace tavora::audio
