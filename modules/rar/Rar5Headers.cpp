#include "Rar5Headers.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tavora::unrar {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

constexpr uint64_t kMaxHeader = 2u << 20;
constexpr uint64_t kTypeFile = 2, kTypeEncryption = 4, kTypeEnd = 5;
constexpr uint64_t kFlagExtra = 0x1, kFlagData = 0x2, kFlagSplitBefore = 0x8;
constexpr uint64_t kFileFolder = 0x1, kFileTime = 0x2, kFileCrc = 0x4;
constexpr uint64_t kExtraEncryption = 0x1, kExtraRedirection = 0x5;
constexpr uint64_t kHostUnix = 1;

// Reads RAR's variable-length numbers (7 bits a byte, low first, at most 10 bytes).
class Reader {
public:
    Reader(const unsigned char* p, size_t n) : p_(p), n_(n) {}
    bool Vint(uint64_t* v) {
        *v = 0;
        for (int shift = 0; shift < 70 && at_ < n_; shift += 7) {
            const unsigned char b = p_[at_++];
            if (shift < 64) *v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool Skip(uint64_t n) {
        if (n > n_ - at_) return false;
        at_ += static_cast<size_t>(n);
        return true;
    }
    bool Bytes(uint64_t n, std::string* out) {
        if (n > n_ - at_) return false;
        out->assign(reinterpret_cast<const char*>(p_ + at_), static_cast<size_t>(n));
        at_ += static_cast<size_t>(n);
        return true;
    }
    size_t At() const { return at_; }

private:
    const unsigned char* p_;
    size_t n_;
    size_t at_ = 0;
};

// The records of an extra area that matter here.
struct ExtraFacts {
    bool encrypted = false;
    bool link = false;
};

ExtraFacts ReadExtra(const unsigned char* p, size_t n) {
    ExtraFacts facts;
    Reader r(p, n);
    while (r.At() < n) {
        uint64_t size = 0, type = 0;
        if (!r.Vint(&size) || size == 0) break;
        const size_t start = r.At();
        if (!r.Vint(&type)) break;
        if (type == kExtraEncryption) facts.encrypted = true;
        if (type == kExtraRedirection) facts.link = true;
        const uint64_t used = r.At() - start;
        if (size < used || !r.Skip(size - used)) break;
    }
    return facts;
}

}  // namespace

WalkStatus WalkRar5(const std::string& path, const std::function<bool(const Rar5Entry&)>& fn) {
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) return WalkStatus::NotRar4;
    unsigned char marker[8];
    if (std::fread(marker, 1, 8, f.get()) != 8 || std::memcmp(marker, "Rar!\x1a\x07\x01\x00", 8) != 0)
        return WalkStatus::NotRar4;
    if (fseeko(f.get(), 0, SEEK_END) != 0) return WalkStatus::Damaged;
    const uint64_t fileSize = static_cast<uint64_t>(ftello(f.get()));
    uint64_t at = 8;
    std::vector<unsigned char> header;
    while (at < fileSize) {
        // The crc and the size field (at most 3 bytes for 2 MB) come first.
        unsigned char start[7] = {};
        if (fseeko(f.get(), static_cast<off_t>(at), SEEK_SET) != 0) return WalkStatus::Damaged;
        const size_t got = std::fread(start, 1, sizeof start, f.get());
        Reader sizeReader(start + 4, got > 4 ? got - 4 : 0);
        uint64_t headSize = 0;
        if (got <= 4 || !sizeReader.Vint(&headSize) || headSize == 0 || headSize > kMaxHeader) return WalkStatus::Damaged;
        const uint64_t headStart = at + 4 + sizeReader.At();
        if (headSize > fileSize - headStart) return WalkStatus::Damaged;
        header.resize(static_cast<size_t>(headSize));
        if (fseeko(f.get(), static_cast<off_t>(headStart), SEEK_SET) != 0 ||
            std::fread(header.data(), 1, header.size(), f.get()) != header.size())
            return WalkStatus::Damaged;
        Reader r(header.data(), header.size());
        uint64_t type = 0, flags = 0, extraSize = 0, dataSize = 0;
        if (!r.Vint(&type) || !r.Vint(&flags)) return WalkStatus::Damaged;
        if ((flags & kFlagExtra) && !r.Vint(&extraSize)) return WalkStatus::Damaged;
        if ((flags & kFlagData) && !r.Vint(&dataSize)) return WalkStatus::Damaged;
        if (extraSize > header.size() - r.At()) return WalkStatus::Damaged;
        if (type == kTypeEncryption) return WalkStatus::ProtectedHeaders;
        if (type == kTypeEnd) return WalkStatus::Ok;
        if (type == kTypeFile) {
            uint64_t fileFlags = 0, size = 0, attributes = 0, compression = 0, host = 0, nameSize = 0;
            Rar5Entry entry;
            if (!r.Vint(&fileFlags) || !r.Vint(&size) || !r.Vint(&attributes) ||
                ((fileFlags & kFileTime) && !r.Skip(4)) || ((fileFlags & kFileCrc) && !r.Skip(4)) ||
                !r.Vint(&compression) || !r.Vint(&host) || !r.Vint(&nameSize) || !r.Bytes(nameSize, &entry.name))
                return WalkStatus::Damaged;
            entry.isFolder = (fileFlags & kFileFolder) != 0;
            entry.size = entry.isFolder ? 0 : size;
            entry.continues = (flags & kFlagSplitBefore) != 0;
            const size_t extraAt = header.size() - static_cast<size_t>(extraSize);
            const ExtraFacts extra = ReadExtra(header.data() + extraAt, static_cast<size_t>(extraSize));
            entry.isEncrypted = extra.encrypted;
            const uint64_t kind = attributes & 0xF000;
            entry.isLink = extra.link || (host == kHostUnix && kind != 0 && kind != 0x8000 && kind != 0x4000);
            if (!fn(entry)) return WalkStatus::Ok;
        }
        const uint64_t blockEnd = headStart + headSize;
        if (dataSize > fileSize - blockEnd) return WalkStatus::Damaged;
        at = blockEnd + dataSize;
    }
    return WalkStatus::Ok;
}

}  // namespace tavora::unrar
