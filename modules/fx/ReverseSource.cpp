// Backwards play: the source is decoded forwards in blocks (2 s by default), starting
// with the last block, and each block is handed out in reverse frame order. Positions
// stay in source terms: the stream starts at the source's length and ends at 0.

#include <algorithm>
#include <cmath>
#include <vector>

#include "FxSources.h"

namespace tavora::audio {
namespace {

struct Reverse {
    DWORD source = 0;
    bool freeSource = false;
    int chans = 0;
    QWORD length = 0;
    QWORD blockFrames = 0;
    QWORD cursor = 0;      // source frame where the current block starts
    size_t blockLeft = 0;  // frames of the current block still to hand out
    std::vector<float> block;
};

bool LoadBlock(Reverse& r) {
    if (r.cursor == 0) return false;
    const QWORD start = r.cursor > r.blockFrames ? r.cursor - r.blockFrames : 0;
    const QWORD want = r.cursor - start;
    r.block.resize(static_cast<size_t>(want) * r.chans);
    if (!TAVORA_ChannelSeekFrame(r.source, start)) return false;
    size_t got = 0;
    while (got < want) {
        const DWORD n = TAVORA_ChannelReadFloat(r.source, r.block.data() + got * r.chans, static_cast<DWORD>(want - got));
        if (n == 0) break;
        got += n;
    }
    // Frames the decoder could not deliver count as silence, so positions stay true.
    std::fill(r.block.begin() + static_cast<long>(got * r.chans), r.block.end(), 0.0f);
    r.blockLeft = static_cast<size_t>(want);
    r.cursor = start;
    return true;
}

DWORD Read(void* user, float* out, DWORD frames) {
    auto& r = *static_cast<Reverse*>(user);
    DWORD done = 0;
    while (done < frames) {
        if (r.blockLeft == 0 && !LoadBlock(r)) break;
        const size_t n = std::min<size_t>(r.blockLeft, frames - done);
        for (size_t i = 0; i < n; ++i) {
            const float* from = r.block.data() + (r.blockLeft - 1 - i) * r.chans;
            std::copy_n(from, r.chans, out + (done + i) * r.chans);
        }
        r.blockLeft -= n;
        done += static_cast<DWORD>(n);
    }
    return done;
}

BOOL Seek(void* user, QWORD frame) {
    auto& r = *static_cast<Reverse*>(user);
    r.cursor = std::min(frame, r.length);
    r.blockLeft = 0;
    return TRUE;
}

QWORD Position(void* user) {
    auto& r = *static_cast<Reverse*>(user);
    return r.cursor + r.blockLeft;
}

QWORD Length(void* user) { return static_cast<Reverse*>(user)->length; }

void Destroy(void* user) {
    auto* r = static_cast<Reverse*>(user);
    if (r->freeSource) BASS_StreamFree(r->source);
    delete r;
}

}  // namespace

HSTREAM CreateReverseStream(DWORD source, float blockSeconds, DWORD flags) {
    BASS_CHANNELINFO info {};
    if (!BASS_ChannelGetInfo(source, &info)) return 0;
    if (!(info.flags & BASS_STREAM_DECODE)) {
        TAVORA_SetError(BASS_ERROR_DECODE);
        return 0;
    }
    const QWORD length = TAVORA_ChannelFrameLength(source);
    if (length == static_cast<QWORD>(-1)) {  // endless streams cannot be reversed
        TAVORA_SetError(BASS_ERROR_NOTAVAIL);
        return 0;
    }
    if (!(blockSeconds > 0) || blockSeconds > 60) blockSeconds = 2.0f;
    auto* r = new Reverse;
    r->source = source;
    r->freeSource = (flags & BASS_FX_FREESOURCE) != 0;
    r->chans = static_cast<int>(info.chans);
    r->length = length;
    r->cursor = length;
    r->blockFrames = std::max<QWORD>(1, static_cast<QWORD>(std::lround(blockSeconds * info.freq)));
    TAVORA_SOURCE s {};
    s.freq = info.freq;
    s.chans = info.chans;
    s.ctype = BASS_CTYPE_STREAM_REVERSE;
    s.read = Read;
    s.seek = Seek;
    s.position = Position;
    s.length = Length;
    s.destroy = Destroy;
    s.user = r;
    return TAVORA_StreamCreateSource(&s, flags & ~BASS_FX_FREESOURCE);
}

}  // namespace tavora::audio
