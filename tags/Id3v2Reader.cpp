#include "Id3v2Reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "RegularFile.h"
#include "TextDecoding.h"

namespace tavora {
namespace {

using Bytes = std::span<const uint8_t>;

constexpr size_t kMaxTextFrameBytes = 1 << 20;

uint32_t BigEndian(Bytes b, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | b[i];
    return v;
}

// Syncsafe integers keep the top bit of every byte clear; nullopt when one is set.
std::optional<uint32_t> Syncsafe(Bytes b) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (b[i] & 0x80) return std::nullopt;
        v = (v << 7) | b[i];
    }
    return v;
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
std::vector<uint8_t> Resync(Bytes in) {
    std::vector<uint8_t> out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out.push_back(in[i]);
        if (in[i] == 0xFF && i + 1 < in.size() && in[i + 1] == 0x00) ++i;
    }
    return out;
}

enum class Encoding : uint8_t { Latin1 = 0, Utf16 = 1, Utf16Be = 2, Utf8 = 3 };

bool IsWide(Encoding e) { return e == Encoding::Utf16 || e == Encoding::Utf16Be; }

std::string Decode(Bytes raw, Encoding enc) {
    const std::string_view s(reinterpret_cast<const char*>(raw.data()), raw.size());
    if (!IsWide(enc)) return LegacyTextToUtf8(s);  // UTF-8 stays; CP949 in "Latin-1" is decoded
    Utf16Order order = enc == Encoding::Utf16Be ? Utf16Order::Big : Utf16Order::Little;
    std::string_view body = s;
    if (body.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(body[0]), b1 = static_cast<unsigned char>(body[1]);
        // A byte-order mark decides; without one, Windows taggers wrote little-endian.
        if (b0 == 0xFF && b1 == 0xFE) order = Utf16Order::Little, body.remove_prefix(2);
        else if (b0 == 0xFE && b1 == 0xFF) order = Utf16Order::Big, body.remove_prefix(2);
    }
    return Utf16ToUtf8(body, order);
}

// Splits raw text at the terminators of its encoding.
std::vector<Bytes> SplitStrings(Bytes raw, Encoding enc) {
    std::vector<Bytes> parts;
    const size_t step = IsWide(enc) ? 2 : 1;
    size_t start = 0, i = 0;
    for (; i + step <= raw.size(); i += step) {
        if (raw[i] == 0 && (step == 1 || raw[i + 1] == 0)) {
            parts.push_back(raw.subspan(start, i - start));
            start = i + step;
        }
    }
    if (start < raw.size()) parts.push_back(raw.subspan(start));
    return parts;
}

std::string Limit(std::string text) {
    text.resize(CutUtf8(text, kId3FieldLimit).size());
    return text;
}

// Text of a T??? frame: v2.4 may hold several strings, which are shown joined by "/" (the
// v2.3 way of listing several artists); earlier versions end at the first terminator.
std::optional<std::string> TextFrame(Bytes data, int version) {
    if (data.empty() || data[0] > 3) return std::nullopt;
    const auto enc = static_cast<Encoding>(data[0]);
    const auto parts = SplitStrings(data.subspan(1), enc);
    std::string text;
    for (const Bytes& part : parts) {
        std::string value = Decode(part, enc);
        if (value.empty()) continue;
        if (!text.empty()) text += '/';
        text += value;
        if (version < 4) break;
    }
    return Limit(std::move(text));
}

struct Comment {
    std::string description;
    std::string text;
};

// COMM: encoding, three-letter language, description, text.
std::optional<Comment> CommentFrame(Bytes data) {
    if (data.size() < 4 || data[0] > 3) return std::nullopt;
    const auto enc = static_cast<Encoding>(data[0]);
    const Bytes rest = data.subspan(4);
    const size_t step = IsWide(enc) ? 2 : 1;
    size_t end = 0;
    while (end + step <= rest.size() && !(rest[end] == 0 && (step == 1 || rest[end + 1] == 0))) end += step;
    Comment c;
    c.description = Decode(rest.subspan(0, std::min(end, rest.size())), enc);
    if (end + step <= rest.size()) {
        const auto parts = SplitStrings(rest.subspan(end + step), enc);
        if (!parts.empty()) c.text = Limit(Decode(parts.front(), enc));
    }
    return c;
}

struct FrameName {
    std::string_view v3;  // v2.3 and v2.4 identifier
    std::string_view v2;  // v2.2 identifier
    std::string TagRecord::*field;
};

constexpr std::array kTextFrames = {
    FrameName{"TIT2", "TT2", &TagRecord::title},       FrameName{"TPE1", "TP1", &TagRecord::artist},
    FrameName{"TALB", "TAL", &TagRecord::album},       FrameName{"TRCK", "TRK", &TagRecord::track},
    FrameName{"TYER", "TYE", &TagRecord::year},        FrameName{"TCON", "TCO", &TagRecord::genre},
    FrameName{"TCOM", "TCM", &TagRecord::composer},    FrameName{"TOPE", "TOA", &TagRecord::originalArtist},
    FrameName{"TCOP", "TCR", &TagRecord::rightsNotice}, FrameName{"TPUB", "TPB", &TagRecord::publisher},
    FrameName{"TENC", "TEN", &TagRecord::encodedBy},
};

bool IsIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The body of a tag (the bytes after the header), in memory or read from the file on
// demand. Reading on demand lets the walk step over pictures without loading them.
class TagBody {
public:
    virtual ~TagBody() = default;
    virtual size_t size() const = 0;
    // Copies n bytes at pos; false when they are not all there.
    virtual bool read(size_t pos, size_t n, uint8_t* out) = 0;
};

class MemoryBody final : public TagBody {
public:
    explicit MemoryBody(Bytes bytes) : bytes_(bytes) {}
    size_t size() const override { return bytes_.size(); }
    bool read(size_t pos, size_t n, uint8_t* out) override {
        if (pos > bytes_.size() || n > bytes_.size() - pos) return false;
        std::copy_n(bytes_.begin() + static_cast<long>(pos), n, out);
        return true;
    }

private:
    Bytes bytes_;
};

class FileBody final : public TagBody {
public:
    FileBody(std::FILE* file, off_t base, size_t size) : file_(file), base_(base), size_(size) {}
    size_t size() const override { return size_; }
    bool read(size_t pos, size_t n, uint8_t* out) override {
        if (pos > size_ || n > size_ - pos) return false;
        return fseeko(file_, base_ + static_cast<off_t>(pos), SEEK_SET) == 0 && std::fread(out, 1, n, file_) == n;
    }

private:
    std::FILE* file_;
    off_t base_;
    size_t size_;
};

bool WantedFrame(std::string_view id, int version) {
    if (id == "COMM" || id == "COM" || id == "TDRC") return true;
    for (const FrameName& f : kTextFrames)
        if (id == (version == 2 ? f.v2 : f.v3)) return true;
    return false;
}

class FrameWalker {
public:
    FrameWalker(TagBody& body, int version, bool allUnsynced)
        : body_(body), version_(version), allUnsynced_(allUnsynced) {}

    // Returns where the walk stopped: the end of the last whole frame.
    size_t run(size_t pos, Id3v2Tag& tag) {
        std::optional<Comment> comment;
        std::optional<std::string> recordingTime;
        std::array<bool, kTextFrames.size()> seen{};
        const size_t headerSize = version_ == 2 ? 6 : 10;
        const size_t idSize = version_ == 2 ? 3 : 4;
        std::array<uint8_t, 10> header{};
        while (startsFrame(pos) && body_.read(pos, headerSize, header.data())) {
            const size_t size = frameSize(pos, header);
            if (size > body_.size() - pos - headerSize) break;  // cut short: keep what was complete
            const std::string_view id(reinterpret_cast<const char*>(header.data()), idSize);
            const size_t payloadAt = pos + headerSize;
            pos += headerSize + size;
            // A text frame of megabytes is forged or broken: only 1023 bytes of it could
            // be shown, and reading it would cost what its size claims.
            if (!WantedFrame(id, version_) || size > kMaxTextFrameBytes) continue;
            std::vector<uint8_t> raw(size);
            if (!body_.read(payloadAt, size, raw.data())) break;
            const std::optional<std::vector<uint8_t>> data = frameData(raw, version_ == 2 ? 0 : header[9]);
            if (!data) continue;
            const Bytes bytes(*data);
            if (id == "COMM" || id == "COM") {
                // The first comment without a description is the user's; others (players'
                // private data) count only when no such comment exists.
                auto c = CommentFrame(bytes);
                if (c && (!comment || (!comment->description.empty() && c->description.empty()))) comment = c;
                continue;
            }
            if (id == "TDRC") {
                if (!recordingTime) recordingTime = TextFrame(bytes, version_);
                continue;
            }
            for (size_t k = 0; k < kTextFrames.size(); ++k) {
                if (seen[k] || id != (version_ == 2 ? kTextFrames[k].v2 : kTextFrames[k].v3)) continue;
                if (auto text = TextFrame(bytes, version_)) {
                    tag.fields.*kTextFrames[k].field = *std::move(text);
                    seen[k] = true;
                }
                break;
            }
        }
        if (comment) tag.fields.comment = comment->text;
        if (tag.fields.year.empty() && recordingTime) tag.fields.year = *recordingTime;
        return pos;
    }

private:
    bool startsFrame(size_t pos) const {
        const size_t idSize = version_ == 2 ? 3 : 4;
        std::array<uint8_t, 4> id{};
        if (!body_.read(pos, idSize, id.data())) return false;
        return std::all_of(id.begin(), id.begin() + static_cast<long>(idSize), IsIdChar);
    }

    // Where a frame of the given size would leave the walk: at the end, in the padding or
    // at another frame.
    bool plausibleEnd(size_t next) const {
        if (next == body_.size()) return true;
        uint8_t first = 0;
        return body_.read(next, 1, &first) && (first == 0 || startsFrame(next));
    }

    size_t frameSize(size_t pos, const std::array<uint8_t, 10>& header) const {
        const Bytes b = Bytes(header).subspan(version_ == 2 ? 3 : 4);
        if (version_ == 2) return BigEndian(b, 3);
        const uint32_t plain = BigEndian(b, 4);
        if (version_ == 3) return plain;
        // Some v2.4 writers stored plain sizes instead of syncsafe ones; take the plain
        // reading when only it lands on a frame boundary.
        const std::optional<uint32_t> safe = Syncsafe(b);
        if (!safe) return plain;
        if (*safe != plain && !plausibleEnd(pos + 10 + *safe) && plausibleEnd(pos + 10 + plain)) return plain;
        return *safe;
    }

    // The frame's payload with its extra header bytes removed; nullopt for compressed or
    // encrypted frames.
    std::optional<std::vector<uint8_t>> frameData(std::vector<uint8_t> data, uint8_t format) const {
        size_t skip = 0;
        if (version_ == 3) {
            if (format & 0xC0) return std::nullopt;
            if (format & 0x20) skip = 1;
        } else if (version_ == 4) {
            if (format & 0x0C) return std::nullopt;
            if (format & 0x40) skip += 1;
            if (format & 0x01) skip += 4;
        }
        if (version_ == 4 && (allUnsynced_ || (format & 0x02))) data = Resync(data);
        if (skip > data.size()) return std::nullopt;
        data.erase(data.begin(), data.begin() + static_cast<long>(skip));
        return data;
    }

    TagBody& body_;
    int version_;
    bool allUnsynced_;
};

// Where the frames start: after the extended header when there is one; nullopt when that
// header is broken.
std::optional<size_t> FramesStart(TagBody& body, int version, uint8_t flags) {
    if (version < 3 || !(flags & 0x40)) return size_t{0};
    std::array<uint8_t, 4> size{};
    if (!body.read(0, 4, size.data())) return std::nullopt;
    // v2.3 gives the size without the size field, v2.4 with it.
    size_t skip;
    if (version == 3) {
        skip = size_t{4} + BigEndian(size, 4);
    } else {
        const std::optional<uint32_t> safe = Syncsafe(size);
        if (!safe) return std::nullopt;
        skip = *safe;
    }
    if (skip > body.size()) return std::nullopt;
    return skip;
}

// Parses a tag whose header is given and whose body is available through body; `undone`
// tells that body is the resynchronised copy of an unsynchronised one.
Id3v2Tag ParseBody(Bytes header, TagBody& body, bool undone) {
    Id3v2Tag tag;
    tag.majorVersion = header[3];
    const uint8_t flags = header[5];
    if (tag.majorVersion == 2 && (flags & 0x40)) return tag;  // whole-tag compression: no known scheme
    if (const std::optional<size_t> start = FramesStart(body, tag.majorVersion, flags)) {
        FrameWalker walker(body, tag.majorVersion, tag.majorVersion == 4 && (flags & 0x80));
        const size_t end = walker.run(*start, tag);
        if (!undone) tag.framesEnd = 10 + end;
    }
    return tag;
}

// Before v2.4, unsynchronisation covers the whole body, frame headers included, so such a
// body is undone in memory before the walk.
bool WholeBodyUnsynced(Bytes header) { return header[3] < 4 && (header[5] & 0x80); }

// The body's length: the size from the header without a v2.4 footer, or what data holds.
size_t BodySize(Bytes header, size_t total, size_t available) {
    size_t body = std::min(total, available) - 10;
    if (header[3] == 4 && (header[5] & 0x10) && total <= available) body -= 10;
    return body;
}

}  // namespace

std::optional<size_t> Id3v2TagSize(Bytes header) {
    if (header.size() < 10 || header[0] != 'I' || header[1] != 'D' || header[2] != '3') return std::nullopt;
    if (header[3] < 2 || header[3] > 4 || header[4] == 0xFF) return std::nullopt;
    const std::optional<uint32_t> size = Syncsafe(header.subspan(6, 4));
    if (!size) return std::nullopt;
    const bool footer = header[3] == 4 && (header[5] & 0x10);
    return size_t{10} + *size + (footer ? 10 : 0);
}

std::optional<Id3v2Tag> ParseId3v2(Bytes data) {
    const std::optional<size_t> total = Id3v2TagSize(data);
    if (!total) return std::nullopt;
    const Bytes header = data.first(10);
    Bytes body = data.subspan(10, BodySize(header, *total, data.size()));
    std::vector<uint8_t> resynced;
    if (WholeBodyUnsynced(header)) {
        resynced = Resync(body);
        body = resynced;
    }
    MemoryBody source(body);
    return ParseBody(header, source, WholeBodyUnsynced(header));
}

std::optional<Id3v2Tag> ReadId3v2File(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    if (!file) return std::nullopt;
    std::array<uint8_t, 10> header{};
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size()) return std::nullopt;
    const std::optional<size_t> total = Id3v2TagSize(header);
    struct stat info {};
    if (!total || fstat(fileno(file.get()), &info) != 0 || info.st_size < 10) return std::nullopt;
    const size_t bodySize = BodySize(header, *total, static_cast<size_t>(info.st_size));
    if (!WholeBodyUnsynced(header)) {
        FileBody body(file.get(), 10, bodySize);
        return ParseBody(header, body, false);
    }
    std::vector<uint8_t> bytes(bodySize);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    const std::vector<uint8_t> resynced = Resync(bytes);
    MemoryBody body(resynced);
    return ParseBody(header, body, true);
}

}  // namespace tavora
