#include "AudioRegion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/stat.h>

#include "Id3v2Reader.h"
#include "MpegHeaderLength.h"
#include "RegularFile.h"

namespace tavora {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File Open(const std::string& path) { return File(OpenRegularFile(path), &std::fclose); }

std::optional<uint64_t> SizeOf(std::FILE* file) {
    struct stat st {};
    if (fstat(fileno(file), &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool ReadAt(std::FILE* file, uint64_t offset, void* buffer, size_t size) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(buffer, 1, size, file) == size;
}

// How far after a tag the first MPEG frame is looked for, and what is read beyond that
// to see the frames that follow it.
constexpr size_t kAudioSearch = 64 * 1024;
constexpr size_t kFramesRead = 8 * 1024;

// Whether MPEG frames start between the end of the tag's frames and `tagEnd`, where only
// padding belongs. Junk that is no audio is not counted: writers have left that there.
bool AudioInPadding(std::FILE* file, const std::string& path, uint64_t tagEnd, uint64_t fileSize) {
    const std::optional<Id3v2Tag> parsed = ReadId3v2File(path);
    if (!parsed || !parsed->framesEnd || *parsed->framesEnd >= tagEnd) return false;
    uint64_t at = *parsed->framesEnd;
    std::vector<uint8_t> chunk(kAudioSearch);
    while (at < tagEnd) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), tagEnd - at));
        if (!ReadAt(file, at, chunk.data(), n)) return false;
        const auto end = chunk.begin() + static_cast<long>(n);
        const auto nonZero = std::find_if(chunk.begin(), end, [](uint8_t b) { return b != 0; });
        if (nonZero != end) {
            at += static_cast<uint64_t>(nonZero - chunk.begin());
            break;
        }
        at += n;
    }
    if (at >= tagEnd) return false;
    std::vector<uint8_t> rest(static_cast<size_t>(std::min<uint64_t>(fileSize - at, kAudioSearch + kFramesRead)));
    if (!ReadAt(file, at, rest.data(), rest.size())) return false;
    const std::optional<size_t> audio = FindMpegFrameRun(rest, kAudioSearch, at + rest.size() == fileSize);
    return audio && at + *audio < tagEnd;
}

}  // namespace

std::optional<ByteRegion> Mp3AudioRegion(const std::string& path) {
    File file = Open(path);
    if (!file) return std::nullopt;
    const std::optional<uint64_t> size = SizeOf(file.get());
    if (!size) return std::nullopt;
    uint64_t start = 0;
    std::array<uint8_t, 10> header{};
    if (ReadAt(file.get(), 0, header.data(), header.size())) {
        if (const auto tagSize = Id3v2TagSize(header)) {
            // A tag rewritten takes over everything its header claims: a size beyond the
            // file, or audio in what should be its padding, means the header is wrong.
            if (*tagSize > *size || AudioInPadding(file.get(), path, *tagSize, *size)) return std::nullopt;
            start = *tagSize;
        }
    }
    uint64_t end = *size;
    std::array<char, 3> tag{};
    if (end >= start + 128 && ReadAt(file.get(), end - 128, tag.data(), tag.size()) &&
        std::memcmp(tag.data(), "TAG", 3) == 0)
        end -= 128;
    // Without MPEG frames after the tag (an empty file, a tag alone, another format) there
    // is no audio to keep apart from the tag.
    std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(end - start, kAudioSearch + kFramesRead)));
    if (!ReadAt(file.get(), start, head.data(), head.size()) ||
        !FindMpegFrameRun(head, kAudioSearch, start + head.size() == end))
        return std::nullopt;
    return ByteRegion{start, end - start};
}

std::optional<ByteRegion> AsfAudioRegion(const std::string& path) {
    File file = Open(path);
    if (!file) return std::nullopt;
    const std::optional<uint64_t> size = SizeOf(file.get());
    std::array<uint8_t, 24> header{};
    if (!size || !ReadAt(file.get(), 0, header.data(), header.size())) return std::nullopt;
    uint64_t headerSize = 0;
    for (int i = 7; i >= 0; --i) headerSize = headerSize << 8 | header[16 + static_cast<size_t>(i)];
    if (headerSize < 30 || headerSize > *size) return std::nullopt;
    return ByteRegion{headerSize, *size - headerSize};
}

bool SameRegionBytes(const std::string& pathA, ByteRegion a, const std::string& pathB, ByteRegion b) {
    if (a.length != b.length) return false;
    File fa = Open(pathA);
    File fb = Open(pathB);
    if (!fa || !fb || fseeko(fa.get(), static_cast<off_t>(a.offset), SEEK_SET) != 0 ||
        fseeko(fb.get(), static_cast<off_t>(b.offset), SEEK_SET) != 0)
        return false;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    for (uint64_t left = a.length; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, ba.size()));
        if (std::fread(ba.data(), 1, n, fa.get()) != n || std::fread(bb.data(), 1, n, fb.get()) != n ||
            std::memcmp(ba.data(), bb.data(), n) != 0)
            return false;
        left -= n;
    }
    return true;
}

}  // namespace tavora
