#include "Source.h"

#include "tavora/bass_api.h"

namespace tavora::audio {

size_t DecoderSource::Read(float* out, size_t frames) {
    const size_t got = decoder_->Read(out, frames);
    position_ += got;
    return got;
}

bool DecoderSource::Seek(uint64_t frame) {
    if (!decoder_->Seek(frame)) return false;
    const int64_t length = decoder_->LengthFrames();
    position_ = length >= 0 && frame > static_cast<uint64_t>(length) ? static_cast<uint64_t>(length) : frame;
    return true;
}

int64_t DecoderSource::FilePosition(uint32_t mode) const {
    switch (mode) {
    case BASS_FILEPOS_DECODE: return decoder_->InputPosition();
    case BASS_FILEPOS_DOWNLOAD:
    case BASS_FILEPOS_END: return decoder_->InputSize();
    default: return -1;
    }
}

ForeignSource::~ForeignSource() {
    if (source_.destroy) source_.destroy(source_.user);
}

size_t ForeignSource::Read(float* out, size_t frames) {
    return source_.read ? source_.read(source_.user, out, static_cast<DWORD>(frames)) : 0;
}

bool ForeignSource::Seek(uint64_t frame) { return source_.seek && source_.seek(source_.user, frame); }

uint64_t ForeignSource::Position() const { return source_.position ? source_.position(source_.user) : 0; }

int64_t ForeignSource::Length() const {
    const QWORD length = source_.length ? source_.length(source_.user) : static_cast<QWORD>(-1);
    return length == static_cast<QWORD>(-1) ? -1 : static_cast<int64_t>(length);
}

}  // namespace tavora::audio
