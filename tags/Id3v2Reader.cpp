#include "Id3v2Reader.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "TextDecoding.h"

namespace tavora {
namespace {

using Bytes = std::span<const uint8_t>;

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

class FrameWalker {
public:
    FrameWalker(Bytes body, int version, bool allUnsynced)
        : body_(body), version_(version), allUnsynced_(allUnsynced) {}

    void run(Id3v2Tag& tag) {
        std::optional<Comment> comment;
        std::optional<std::string> recordingTime;
        std::array<bool, kTextFrames.size()> seen{};
        const size_t headerSize = version_ == 2 ? 6 : 10;
        const size_t idSize = version_ == 2 ? 3 : 4;
        size_t pos = 0;
        while (pos + headerSize <= body_.size() && startsFrame(pos)) {
            const Bytes header = body_.subspan(pos, headerSize);
            const size_t size = frameSize(pos);
            if (size > body_.size() - pos - headerSize) break;  // cut short: keep what was complete
            const std::string_view id(reinterpret_cast<const char*>(header.data()), idSize);
            const std::optional<std::vector<uint8_t>> data =
                frameData(body_.subspan(pos + headerSize, size), version_ == 2 ? 0 : header[9]);
            pos += headerSize + size;
            if (!data) continue;
            const Bytes bytes(*data);
            if (id == "COMM" || id == "COM") {
                // The first comment without a description is the user's; others (players'
                // private data) count only when no such comment exists.
                auto c = CommentFrame(bytes);
                if (c && (!comment || (!comment->description.empty() && c->description.empty()))) comment = c;
                continue;
            }
            if (id == "TDRC" && !recordingTime) {
                recordingTime = TextFrame(bytes, version_);
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
    }

private:
    bool startsFrame(size_t pos) const {
        const size_t idSize = version_ == 2 ? 3 : 4;
        if (pos + idSize > body_.size()) return false;
        for (size_t i = 0; i < idSize; ++i)
            if (!IsIdChar(body_[pos + i])) return false;
        return true;
    }

    // Where a frame of the given size would leave the walk: at the end, in the padding or
    // at another frame.
    bool plausibleEnd(size_t next) const {
        return next == body_.size() || (next < body_.size() && (body_[next] == 0 || startsFrame(next)));
    }

    size_t frameSize(size_t pos) const {
        const Bytes b = body_.subspan(pos + (version_ == 2 ? 3 : 4));
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
    std::optional<std::vector<uint8_t>> frameData(Bytes raw, uint8_t format) const {
        size_t skip = 0;
        if (version_ == 3) {
            if (format & 0xC0) return std::nullopt;
            if (format & 0x20) skip = 1;
        } else if (version_ == 4) {
            if (format & 0x0C) return std::nullopt;
            if (format & 0x40) skip += 1;
            if (format & 0x01) skip += 4;
        }
        std::vector<uint8_t> data = (version_ == 4 && (allUnsynced_ || (format & 0x02)))
                                        ? Resync(raw)
                                        : std::vector<uint8_t>(raw.begin(), raw.end());
        if (skip > data.size()) return std::nullopt;
        data.erase(data.begin(), data.begin() + static_cast<long>(skip));
        return data;
    }

    Bytes body_;
    int version_;
    bool allUnsynced_;
};

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
    Id3v2Tag tag;
    tag.majorVersion = data[3];
    const uint8_t flags = data[5];
    const size_t bodySize = std::min(*total, data.size()) - 10;
    Bytes body = data.subspan(10, bodySize);
    if (tag.majorVersion == 4 && (flags & 0x10) && body.size() >= 10 && *total <= data.size())
        body = body.first(body.size() - 10);  // the footer
    if (tag.majorVersion == 2 && (flags & 0x40)) return tag;  // whole-tag compression: no known scheme

    std::vector<uint8_t> resynced;
    if (tag.majorVersion < 4 && (flags & 0x80)) {
        resynced = Resync(body);
        body = resynced;
    }
    if (tag.majorVersion >= 3 && (flags & 0x40)) {
        // Extended header: v2.3 gives its size without the size field, v2.4 with it.
        if (body.size() < 4) return tag;
        size_t skip;
        if (tag.majorVersion == 3) {
            skip = size_t{4} + BigEndian(body, 4);
        } else {
            const std::optional<uint32_t> size = Syncsafe(body);
            if (!size) return tag;
            skip = *size;
        }
        if (skip > body.size()) return tag;
        body = body.subspan(skip);
    }
    FrameWalker(body, tag.majorVersion, tag.majorVersion == 4 && (flags & 0x80)).run(tag);
    return tag;
}

std::optional<Id3v2Tag> ReadId3v2File(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return std::nullopt;
    std::vector<uint8_t> data(10);
    if (std::fread(data.data(), 1, 10, file.get()) != 10) return std::nullopt;
    const std::optional<size_t> total = Id3v2TagSize(data);
    if (!total) return std::nullopt;
    // Read in steps so a header claiming 256 MB costs only what the file really holds.
    constexpr size_t kStep = 1 << 20;
    while (data.size() < *total) {
        const size_t old = data.size();
        const size_t want = std::min(kStep, *total - old);
        data.resize(old + want);
        const size_t got = std::fread(data.data() + old, 1, want, file.get());
        data.resize(old + got);
        if (got < want) break;
    }
    return ParseId3v2(data);
}

}  // namespace tavora
