#include "MpegHeaderLength.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/stat.h>

#include "Id3v2Reader.h"
#include "RegularFile.h"

namespace tavora {
namespace {

// Bytes read after the ID3v2 tag: the first frame's header, a Xing/VBRI header, and enough
// following frames to tell a constant bit rate.
constexpr size_t kAudioHead = 16 * 1024;
constexpr size_t kTail = 256;
// The decoder gives up on data that shows no frame within this many bytes.
constexpr size_t kSyncSearch = 2048;
// Frames compared to call a header-less file CBR.
constexpr int kCbrFrames = 12;

struct Frame {
    int mpeg = 1;   // 1, 2, or 25 for MPEG 2.5
    int layer = 3;  // 1..3
    int kbps = 0;
    int rate = 0;
    int channels = 2;
    size_t size = 0;
    int samples = 0;  // per frame
    uint32_t kind = 0;  // the header bits that stay equal within one stream
};

uint32_t Be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::optional<Frame> ParseFrame(std::span<const uint8_t> data, size_t at) {
    if (at + 4 > data.size()) return std::nullopt;
    const uint32_t h = Be32(data.data() + at);
    if ((h & 0xFFE00000u) != 0xFFE00000u) return std::nullopt;
    const int versionBits = static_cast<int>(h >> 19 & 3);
    const int layerBits = static_cast<int>(h >> 17 & 3);
    const int bitrateIndex = static_cast<int>(h >> 12 & 15);
    const int rateIndex = static_cast<int>(h >> 10 & 3);
    // Reserved version, layer and rate; free format (0) and the forbidden index 15.
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15)
        return std::nullopt;
    static constexpr int kKbps[2][3][16] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    Frame f;
    f.mpeg = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    f.layer = 4 - layerBits;
    const int family = f.mpeg == 1 ? 0 : 1;
    f.kbps = kKbps[family][f.layer - 1][bitrateIndex];
    f.rate = kRates[f.mpeg == 1 ? 0 : f.mpeg == 2 ? 1 : 2][rateIndex];
    f.channels = (h >> 6 & 3) == 3 ? 1 : 2;
    const int padding = static_cast<int>(h >> 9 & 1);
    const long bps = f.kbps * 1000L;
    if (f.layer == 1) {
        f.size = static_cast<size_t>((12 * bps / f.rate + padding) * 4);
        f.samples = 384;
    } else if (f.layer == 2 || f.mpeg == 1) {
        f.size = static_cast<size_t>(144 * bps / f.rate + padding);
        f.samples = 1152;
    } else {
        f.size = static_cast<size_t>(72 * bps / f.rate + padding);
        f.samples = 576;
    }
    f.kind = h & 0xFFFE0C00u;  // sync, version, layer, rate
    return f;
}

// The first frame at or after `at` that another frame of its kind follows (or that ends
// exactly at the end of the data we have of a short file).
std::optional<size_t> FindFirstFrame(std::span<const uint8_t> data, bool dataIsWholeFile) {
    for (size_t at = 0; at <= kSyncSearch && at + 4 <= data.size(); ++at) {
        const std::optional<Frame> f = ParseFrame(data, at);
        if (!f) continue;
        const size_t next = at + f->size;
        if (dataIsWholeFile && next == data.size()) return at;
        const std::optional<Frame> g = ParseFrame(data, next);
        if (g && g->kind == f->kind) return at;
    }
    return std::nullopt;
}

// Bytes at the end of the file that are tags, not audio: ID3v1 and an APEv2 tag before it.
uint64_t TrailingTagBytes(std::span<const uint8_t> tail) {
    uint64_t bytes = 0;
    size_t end = tail.size();
    if (end >= 128 && std::memcmp(tail.data() + end - 128, "TAG", 3) == 0) {
        bytes += 128;
        end -= 128;
    }
    if (end >= 32 && std::memcmp(tail.data() + end - 32, "APETAGEX", 8) == 0) {
        const uint8_t* footer = tail.data() + end - 32;
        const uint32_t size = uint32_t{footer[12]} | uint32_t{footer[13]} << 8 | uint32_t{footer[14]} << 16 |
                              uint32_t{footer[15]} << 24;  // items and footer, not the header
        const bool hasHeader = (footer[23] & 0x80) != 0;
        bytes += uint64_t{size} + (hasHeader ? 32 : 0);
    }
    return bytes;
}

}  // namespace

std::optional<size_t> FindMpegFrameRun(std::span<const uint8_t> data, size_t searchLimit, bool dataIsAll) {
    constexpr int kRun = 3;
    for (size_t at = 0; at <= searchLimit && at + 4 <= data.size(); ++at) {
        const std::optional<Frame> first = ParseFrame(data, at);
        if (!first) continue;
        size_t next = at + first->size;
        int frames = 1;
        while (frames < kRun) {
            if (dataIsAll && next == data.size()) break;
            const std::optional<Frame> f = ParseFrame(data, next);
            if (!f || f->kind != first->kind) break;
            next += f->size;
            ++frames;
        }
        if (frames == kRun || (dataIsAll && next == data.size())) return at;
    }
    return std::nullopt;
}

std::optional<AudioProbe> MpegLengthFromHeaders(std::span<const uint8_t> audio, uint64_t audioOffset,
                                               uint64_t fileSize, std::span<const uint8_t> tail) {
    if (audioOffset > fileSize) return std::nullopt;
    const bool whole = audioOffset + audio.size() >= fileSize;
    const std::optional<size_t> start = FindFirstFrame(audio, whole);
    // Junk before the first frame is left to the decoder, which knows how to skip it.
    if (!start || *start != 0) return std::nullopt;
    const std::optional<Frame> first = ParseFrame(audio, 0);
    const uint64_t trailing = TrailingTagBytes(tail);
    if (trailing > fileSize - audioOffset) return std::nullopt;
    const uint64_t audioBytes = fileSize - audioOffset - trailing;
    AudioProbe result{0, first->rate, first->channels};
    const std::span<const uint8_t> frame = audio.subspan(0, std::min(first->size, audio.size()));

    // Xing ("Info" for CBR) after the side information of a layer III frame.
    const size_t xing = first->mpeg == 1 ? (first->channels == 1 ? 21 : 36) : (first->channels == 1 ? 13 : 21);
    if (first->layer == 3 && xing + 8 <= frame.size() &&
        (std::memcmp(frame.data() + xing, "Xing", 4) == 0 || std::memcmp(frame.data() + xing, "Info", 4) == 0)) {
        const uint32_t flags = Be32(frame.data() + xing + 4);
        size_t at = xing + 8;
        if (!(flags & 1) || at + 4 > frame.size()) return std::nullopt;  // no frame count
        const uint64_t frames = Be32(frame.data() + at);
        at += 4;
        if (flags & 2) {
            if (at + 4 > frame.size()) return std::nullopt;
            // A file cut short holds less than its header says: let the decoder count.
            const uint64_t bytes = Be32(frame.data() + at);
            if (audioBytes * 100 < bytes * 99) return std::nullopt;
            at += 4;
        }
        if (flags & 4) at += 100;
        if (flags & 8) at += 4;
        int64_t samples = static_cast<int64_t>(frames) * first->samples;
        // The LAME extension: encoder name, then the delay and padding at bytes 21-23.
        if (at + 24 <= frame.size()) {
            const uint8_t* lame = frame.data() + at;
            const bool named = (lame[0] >= 'A' && lame[0] <= 'Z') || (lame[0] >= 'a' && lame[0] <= 'z');
            if (named) {
                const int delay = lame[21] << 4 | lame[22] >> 4;
                const int padding = (lame[22] & 0x0F) << 8 | lame[23];
                if (samples > delay + padding) samples -= delay + padding;
            }
        }
        if (samples <= 0) return std::nullopt;
        result.seconds = static_cast<double>(samples) / first->rate;
        return result;
    }
    // VBRI, 32 bytes after the frame header.
    if (first->layer == 3 && 36 + 18 <= frame.size() && std::memcmp(frame.data() + 36, "VBRI", 4) == 0) {
        const uint64_t bytes = Be32(frame.data() + 36 + 10);
        const uint64_t frames = Be32(frame.data() + 36 + 14);
        if (frames == 0 || audioBytes * 100 < bytes * 99) return std::nullopt;
        result.seconds = static_cast<double>(frames * static_cast<uint64_t>(first->samples)) / first->rate;
        return result;
    }
    // No header: constant bit rate only if the first frames agree.
    size_t at = 0;
    for (int n = 0; n < kCbrFrames && at < audioBytes; ++n) {
        const std::optional<Frame> f = ParseFrame(audio, at);
        if (!f) {
            // The end of what we read (or of a short file) is fine; anything else is not MPEG.
            if (at + 4 <= audio.size()) return std::nullopt;
            break;
        }
        if (f->kind != first->kind || f->kbps != first->kbps) return std::nullopt;
        at += f->size;
    }
    result.seconds = static_cast<double>(audioBytes) * 8.0 / (first->kbps * 1000.0);
    // A frame's worth of audio at least, as the decoder needs to play anything.
    if (audioBytes < first->size) return std::nullopt;
    return result;
}

std::optional<AudioProbe> ReadMpegHeaderLength(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    if (!file) return std::nullopt;
    struct stat st {};
    if (fstat(fileno(file.get()), &st) != 0 || st.st_size <= 0) return std::nullopt;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    std::vector<uint8_t> head(kAudioHead);
    size_t got = std::fread(head.data(), 1, head.size(), file.get());
    uint64_t audioOffset = 0;
    if (got >= 10 && std::memcmp(head.data(), "ID3", 3) == 0) {
        const std::optional<size_t> tag = Id3v2TagSize(std::span<const uint8_t>(head.data(), 10));
        if (!tag || *tag >= size) return std::nullopt;
        audioOffset = *tag;
        if (audioOffset + kAudioHead > got) {
            if (fseeko(file.get(), static_cast<off_t>(audioOffset), SEEK_SET) != 0) return std::nullopt;
            got = std::fread(head.data(), 1, head.size(), file.get());
        } else {
            head.erase(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(audioOffset));
            got -= audioOffset;
        }
    }
    head.resize(got);
    std::array<uint8_t, kTail> tail{};
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(kTail, size));
    if (fseeko(file.get(), -static_cast<off_t>(tailSize), SEEK_END) != 0 ||
        std::fread(tail.data(), 1, tailSize, file.get()) != tailSize)
        return std::nullopt;
    return MpegLengthFromHeaders(head, audioOffset, size, std::span<const uint8_t>(tail.data(), tailSize));
}

}  // namespace tavora
