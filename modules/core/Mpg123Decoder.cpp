#include "Mpg123Decoder.h"

#include <mpg123.h>

#include <cstring>
#include <mutex>
#include <sys/types.h>

#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

ssize_t ReadCallback(void* handle, void* buffer, size_t size) {
    return static_cast<ssize_t>(static_cast<ByteSource*>(handle)->Read(buffer, size));
}

off_t SeekCallback(void* handle, off_t offset, int whence) {
    auto* input = static_cast<ByteSource*>(handle);
    int64_t target = offset;
    if (whence == SEEK_CUR) target += input->Tell();
    else if (whence == SEEK_END) {
        if (input->Size() < 0) return -1;
        target += input->Size();
    }
    if (!input->Seekable() && target != input->Tell()) return -1;
    return input->Seek(target) ? static_cast<off_t>(target) : -1;
}

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

std::unique_ptr<Decoder> Mpg123Decoder::Open(std::unique_ptr<ByteSource> input) {
    InitLibrary();
    std::unique_ptr<Mpg123Decoder> decoder(new Mpg123Decoder(std::move(input)));
    if (!decoder->Init()) return nullptr;
    return decoder;
}

bool Mpg123Decoder::Init() {
    int err = 0;
    handle_ = mpg123_new(nullptr, &err);
    if (!handle_) return false;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0);
    // Data that is not MPEG audio must be refused quickly instead of being searched
    // for something that looks like a frame header.
    mpg123_param(handle_, MPG123_RESYNC_LIMIT, 2048, 0);
    // After a seek, layer III frames borrow data from earlier ones (the bit reservoir);
    // decoding a few frames before the target keeps the sound from starting late.
    mpg123_param(handle_, MPG123_PREFRAMES, 10, 0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_replace_reader_handle(handle_, ReadCallback, SeekCallback, nullptr) != MPG123_OK) return false;
    if (mpg123_open_handle(handle_, input_.get()) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (rate <= 0 || channels < 1 || channels > 2) return false;
    rate_ = static_cast<int>(rate);
    channels_ = channels;
    mpg123_frameinfo info {};
    if (mpg123_info(handle_, &info) == MPG123_OK)
        contentType_ = info.layer == 1 ? BASS_CTYPE_STREAM_MP1 : info.layer == 2 ? BASS_CTYPE_STREAM_MP2 : BASS_CTYPE_STREAM_MP3;
    if (input_->Seekable() && input_->Size() >= 0) {
        // A full scan gives the exact length (header or not); it costs one pass of
        // frame-header parsing, no decoding.
        if (mpg123_scan(handle_) == MPG123_OK) {
            const off_t samples = mpg123_length(handle_);
            if (samples >= 0) length_ = samples;
        }
        if (length_ == 0) return false;
    }
    return true;
}

Mpg123Decoder::~Mpg123Decoder() {
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
}

size_t Mpg123Decoder::Read(float* out, size_t frames) {
    if (ended_) return 0;
    const size_t frameBytes = sizeof(float) * static_cast<size_t>(channels_);
    size_t done = 0;
    int guard = 0;
    while (done < frames) {
        size_t got = 0;
        const int rc = mpg123_read(handle_, reinterpret_cast<unsigned char*>(out + done * channels_),
                                   (frames - done) * frameBytes, &got);
        done += got / frameBytes;
        if (rc == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(handle_, &rate, &channels, &encoding);
            // A change of channel count in the middle cannot be followed; stop there.
            if (channels != channels_) { ended_ = true; break; }
            continue;
        }
        if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEED_MORE)) { ended_ = true; break; }
        if (got == 0 && ++guard > 64) { ended_ = true; break; }
    }
    return done;
}

bool Mpg123Decoder::Seek(uint64_t frame) {
    if (!input_->Seekable()) return false;
    if (length_ >= 0 && frame > static_cast<uint64_t>(length_)) frame = static_cast<uint64_t>(length_);
    if (mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
    ended_ = false;
    return true;
}

}  // namespace tavora::audio
