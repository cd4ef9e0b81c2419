#pragma once
// Builds ID3v2 tags byte by byte, for the cases no tagging tool writes on request
// (v2.2, unsynchronisation, extended headers, odd encodings, broken sizes).

#include <cstdint>
#include <string>
#include <vector>

namespace tavora::test {

using ByteVec = std::vector<uint8_t>;

inline ByteVec Bytes(const std::string& s) { return ByteVec(s.begin(), s.end()); }
inline ByteVec Bytes(const char* s, size_t n) { return ByteVec(s, s + n); }

inline ByteVec Concat(std::initializer_list<ByteVec> parts) {
    ByteVec out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline ByteVec Syncsafe(uint32_t v) {
    return {uint8_t((v >> 21) & 0x7F), uint8_t((v >> 14) & 0x7F), uint8_t((v >> 7) & 0x7F), uint8_t(v & 0x7F)};
}
inline ByteVec BigEndian32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// A frame of v2.3 (plain size) or v2.4 (syncsafe size) with the given format flags.
inline ByteVec Frame(int version, const std::string& id, const ByteVec& payload, uint8_t formatFlags = 0) {
    ByteVec header = Bytes(id);
    const auto size = static_cast<uint32_t>(payload.size());
    if (version == 2) {
        header.insert(header.end(), {uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
        return Concat({header, payload});
    }
    const ByteVec sz = version == 4 ? Syncsafe(size) : BigEndian32(size);
    return Concat({header, sz, {0, formatFlags}, payload});
}

inline ByteVec Text(uint8_t encoding, const ByteVec& text) { return Concat({{encoding}, text}); }

inline ByteVec Tag(int version, const ByteVec& body, uint8_t flags = 0, size_t padding = 0) {
    ByteVec padded = body;
    padded.resize(body.size() + padding, 0);
    return Concat({Bytes("ID3"), {uint8_t(version), 0, flags}, Syncsafe(static_cast<uint32_t>(padded.size())), padded});
}

// UTF-16 of ASCII or BMP text given as code points.
inline ByteVec Utf16(std::initializer_list<uint16_t> units, bool bigEndian, bool bom) {
    ByteVec out;
    auto put = [&](uint16_t u) {
        if (bigEndian) out.insert(out.end(), {uint8_t(u >> 8), uint8_t(u)});
        else out.insert(out.end(), {uint8_t(u), uint8_t(u >> 8)});
    };
    if (bom) put(0xFEFF);
    for (uint16_t u : units) put(u);
    return out;
}

}  // namespace tavora::test
