// Backwards play: the source is decoded forwards in blocks (2 s by default), starting
// with the last block, and each block is handed out in reverse frame order. Positions
// stay in source terms: the stream starts at the source's length and ends at 0.

#include <algorithm>
#include <cmath>
#include <vector>

#include "ForeignStream.h"
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

    ~Reverse() {
        if (freeSource) BASS_StreamFree(source);
    }

    bool LoadBlock() {
        if (cursor == 0) return false;
        const QWORD start = cursor > blockFrames ? cursor - blockFrames : 0;
        const QWORD want = cursor - start;
        block.resize(static_cast<size_t>(want) * chans);
        if (!TAVORA_ChannelSeekFrame(source, start)) return false;
        size_t got = 0;
        while (got < want) {
            const DWORD n = TAVORA_ChannelReadFloat(source, block.data() + got * chans, static_cast<DWORD>(want - got));
            if (n == 0) break;
            got += n;
        }
        // Frames the decoder could not deliver count as silence, so positions stay true.
        std::fill(block.begin() + static_cast<long>(got * chans), block.end(), 0.0f);
        blockLeft = static_cast<size_t>(want);
        cursor = start;
        return true;
    }

    DWORD Read(float* out, DWORD frames) {
        DWORD done = 0;
        while (done < frames) {
            if (blockLeft == 0 && !LoadBlock()) break;
            const size_t n = std::min<size_t>(blockLeft, frames - done);
            for (size_t i = 0; i < n; ++i)
                std::copy_n(block.data() + (blockLeft - 1 - i) * chans, chans, out + (done + i) * chans);
            blockLeft -= n;
            done += static_cast<DWORD>(n);
        }
        return done;
    }
    BOOL Seek(QWORD frame) {
        cursor = std::min(frame, length);
        blockLeft = 0;
        return TRUE;
    }
    QWORD Position() const { return cursor + blockLeft; }
    QWORD Length() const { return length; }
};

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
    r->chans = static_cast<int>(info.chans);
    r->length = length;
    r->cursor = length;
    r->blockFrames = std::max<QWORD>(1, static_cast<QWORD>(std::lround(blockSeconds * info.freq)));
    // As with tempo streams: the source becomes the wrapper's only once the wrapper exists.
    const HSTREAM stream = CreateForeignStream(r, info.freq, info.chans, BASS_CTYPE_STREAM_REVERSE,
                                               flags & ~BASS_FX_FREESOURCE);
    if (stream) r->freeSource = (flags & BASS_FX_FREESOURCE) != 0;
    return stream;
}

}  // namespace tavora::audio
