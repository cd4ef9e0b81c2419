#include "Rar4Headers.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "EntryName.h"

namespace tavora::unrar {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

uint32_t Le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr uint8_t kMainHeader = 0x73, kFileHeader = 0x74, kEndHeader = 0x7b;
constexpr uint16_t kLongBlock = 0x8000, kMainEncryptedHeaders = 0x0080;
constexpr uint16_t kFileEncrypted = 0x0004, kFileLarge = 0x0100, kFileUnicode = 0x0200;
constexpr uint16_t kFileDirectoryMask = 0x00E0;
constexpr uint8_t kHostUnix = 3;

}  // namespace

std::string DecodeRar4UnicodeName(const std::string& field) {
    const size_t zero = field.find('\0');
    if (zero == std::string::npos) return unpack::DecodeLegacyName(field);
    const auto* legacy = reinterpret_cast<const unsigned char*>(field.data());
    const size_t legacyLen = zero;
    const auto* enc = legacy + zero + 1;
    const size_t encLen = field.size() - zero - 1;
    std::vector<uint32_t> units;
    if (encLen == 0) return unpack::DecodeLegacyName(field.substr(0, zero));
    const unsigned highByte = enc[0];
    size_t pos = 1;
    unsigned flags = 0;
    int flagBits = 0;
    while (pos < encLen && units.size() < 4096) {
        if (flagBits == 0) {
            flags = enc[pos++];
            flagBits = 8;
            if (pos >= encLen) break;
        }
        switch (flags >> 6) {
        case 0:
            units.push_back(enc[pos++]);
            break;
        case 1:
            units.push_back(enc[pos++] + (highByte << 8));
            break;
        case 2:
            if (pos + 1 >= encLen) return unpack::DecodeLegacyName(field.substr(0, zero));
            units.push_back(enc[pos] + (enc[pos + 1] << 8));
            pos += 2;
            break;
        default: {
            unsigned length = enc[pos++];
            if (length & 0x80) {
                if (pos >= encLen) return unpack::DecodeLegacyName(field.substr(0, zero));
                const unsigned correction = enc[pos++];
                for (length = (length & 0x7F) + 2; length > 0 && units.size() < legacyLen; --length)
                    units.push_back(((legacy[units.size()] + correction) & 0xFF) + (highByte << 8));
            } else {
                for (length += 2; length > 0 && units.size() < legacyLen; --length)
                    units.push_back(legacy[units.size()]);
            }
        }
        }
        flags = (flags << 2) & 0xFF;
        flagBits -= 2;
    }
    std::string out;
    for (uint32_t u : units) {
        if (u == 0) break;
        AppendUtf8(out, u);
    }
    return out;
}

WalkStatus WalkRar4(const std::string& path, const std::function<bool(const Rar4Entry&)>& fn) {
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) return WalkStatus::NotRar4;
    unsigned char marker[7];
    if (std::fread(marker, 1, 7, f.get()) != 7 || std::memcmp(marker, "Rar!\x1a\x07\x00", 7) != 0)
        return WalkStatus::NotRar4;
    if (fseeko(f.get(), 0, SEEK_END) != 0) return WalkStatus::Damaged;
    const uint64_t fileSize = static_cast<uint64_t>(ftello(f.get()));
    uint64_t at = 7;
    std::vector<unsigned char> header;
    while (at < fileSize) {
        unsigned char base[7];
        if (fseeko(f.get(), static_cast<off_t>(at), SEEK_SET) != 0 || std::fread(base, 1, 7, f.get()) != 7)
            return WalkStatus::Damaged;
        const uint8_t type = base[2];
        const uint16_t flags = static_cast<uint16_t>(Le(base + 3, 2));
        const uint16_t headSize = static_cast<uint16_t>(Le(base + 5, 2));
        if (headSize < 7) return WalkStatus::Damaged;
        header.assign(base, base + 7);
        header.resize(headSize);
        if (std::fread(header.data() + 7, 1, headSize - 7, f.get()) != headSize - 7u) return WalkStatus::Damaged;
        uint64_t dataSize = (flags & kLongBlock) && headSize >= 11 ? Le(header.data() + 7, 4) : 0;
        if (type == kEndHeader) return WalkStatus::Ok;
        if (type == kMainHeader && (flags & kMainEncryptedHeaders)) return WalkStatus::ProtectedHeaders;
        if (type == kFileHeader) {
            if (headSize < 32) return WalkStatus::Damaged;
            const unsigned char* h = header.data();
            uint64_t size = Le(h + 11, 4);
            const uint8_t hostOs = h[15];
            const uint16_t nameSize = static_cast<uint16_t>(Le(h + 26, 2));
            const uint32_t attributes = Le(h + 28, 4);
            size_t nameAt = 32;
            if (flags & kFileLarge) {
                if (headSize < 40) return WalkStatus::Damaged;
                dataSize |= static_cast<uint64_t>(Le(h + 32, 4)) << 32;
                size |= static_cast<uint64_t>(Le(h + 36, 4)) << 32;
                nameAt = 40;
            }
            if (nameAt + nameSize > headSize || nameSize == 0) return WalkStatus::Damaged;
            const std::string field(reinterpret_cast<const char*>(h + nameAt), nameSize);
            Rar4Entry entry;
            entry.name = unpack::WithSlashes((flags & kFileUnicode) ? DecodeRar4UnicodeName(field)
                                                                     : unpack::DecodeLegacyName(field));
            entry.isFolder = (flags & kFileDirectoryMask) == kFileDirectoryMask;
            entry.size = entry.isFolder ? 0 : size;
            entry.isLink = hostOs == kHostUnix && (attributes & 0xF000) == 0xA000;
            entry.isEncrypted = (flags & kFileEncrypted) != 0;
            if (!fn(entry)) return WalkStatus::Ok;
        }
        if (dataSize > fileSize - at - headSize) return WalkStatus::Damaged;
        at += headSize + dataSize;
    }
    return WalkStatus::Ok;
}

}  // namespace tavora::unrar
