#include "AlzDecoder.h"

#include <zlib.h>

#include <memory>
#include <optional>
#include <vector>

#include "AlzBzip2.h"
#include "ZipCrypto.h"

namespace tavora::alz {

namespace {

constexpr size_t kChunk = 64 * 1024;

// The entry's packed bytes, decrypted when needed.
class PackedReader {
public:
    PackedReader(VolumeSet& stream, const AlzEntry& entry, std::optional<ZipCrypto> cipher)
        : stream_(stream), at_(entry.dataOffset), left_(entry.packedSize), cipher_(std::move(cipher)) {}

    size_t Read(unsigned char* buffer, size_t n) {
        const size_t want = static_cast<size_t>(left_ < n ? left_ : n);
        const size_t got = want ? stream_.Read(at_, buffer, want) : 0;
        if (got < want) truncated_ = true;
        if (cipher_) cipher_->Decrypt(buffer, got);
        at_ += got, left_ -= got;
        return got;
    }
    bool Truncated() const { return truncated_; }
    bool Exhausted() const { return left_ == 0; }

private:
    VolumeSet& stream_;
    uint64_t at_;
    uint64_t left_;
    std::optional<ZipCrypto> cipher_;
    bool truncated_ = false;
};

// Forwards to the sink and keeps the CRC-32 of what went through.
struct CheckedOutput {
    unpack::ByteSink& sink;
    uLong crc = crc32(0, nullptr, 0);
    bool Write(const unsigned char* data, size_t n) {
        if (!sink.Write(data, n)) return false;
        crc = crc32_z(crc, data, n);
        return true;
    }
};

bool Store(PackedReader& in, CheckedOutput& out, std::string* error) {
    std::vector<unsigned char> buffer(kChunk);
    for (;;) {
        const size_t n = in.Read(buffer.data(), buffer.size());
        if (n == 0) return true;
        if (!out.Write(buffer.data(), n)) {
            *error = out.sink.Error();
            return false;
        }
    }
}

bool Inflate(PackedReader& in, CheckedOutput& out, std::string* error) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        *error = "out of memory";
        return false;
    }
    std::unique_ptr<z_stream, int (*)(z_streamp)> guard(&z, inflateEnd);
    std::vector<unsigned char> input(kChunk), output(kChunk);
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (z.avail_in == 0) {
            z.avail_in = static_cast<uInt>(in.Read(input.data(), input.size()));
            z.next_in = input.data();
            if (z.avail_in == 0) {
                *error = "the deflate data ends early";
                return false;
            }
        }
        z.next_out = output.data();
        z.avail_out = static_cast<uInt>(output.size());
        result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) {
            *error = std::string("damaged deflate data") + (z.msg ? std::string(": ") + z.msg : "");
            return false;
        }
        const size_t produced = output.size() - z.avail_out;
        if (produced && !out.Write(output.data(), produced)) {
            *error = out.sink.Error();
            return false;
        }
    }
    return true;
}

bool Bzip2(PackedReader& in, CheckedOutput& out, std::string* error) {
    bool refused = false;
    const bool ok = DecodeAlzBzip2([&](unsigned char* b, size_t n) { return in.Read(b, n); },
                                   [&](const unsigned char* d, size_t n) {
                                       refused = !out.Write(d, n);
                                       return !refused;
                                   },
                                   error);
    if (refused) *error = out.sink.Error();
    return ok;
}

std::optional<ZipCrypto> CheckedCipher(const AlzEntry& entry, const std::string& password, std::string* error) {
    if (password.empty()) {
        *error = "encrypted; no password given";
        return std::nullopt;
    }
    ZipCrypto cipher(password);
    if (!PasswordMatches(cipher, entry.cryptHeader, entry.crc)) {
        *error = "wrong password";
        return std::nullopt;
    }
    return cipher;
}

}  // namespace

bool CanDecode(const AlzEntry& entry, const std::string& password, std::string* error) {
    if (entry.flags & 0x08) {
        *error = "unsupported entry flags";
        return false;
    }
    if (!entry.HasSizes()) return true;
    if (entry.method > 2) {
        *error = "unknown compression method " + std::to_string(entry.method);
        return false;
    }
    return !entry.IsEncrypted() || CheckedCipher(entry, password, error).has_value();
}

bool DecodeAlzEntry(VolumeSet& stream, const AlzEntry& entry, const std::string& password, unpack::ByteSink& sink,
                    std::string* error) {
    if (!CanDecode(entry, password, error)) return false;
    if (!entry.HasSizes()) return true;  // an empty file
    std::optional<ZipCrypto> cipher;
    if (entry.IsEncrypted()) cipher = CheckedCipher(entry, password, error);
    PackedReader in(stream, entry, std::move(cipher));
    CheckedOutput out{sink};
    bool ok = false;
    switch (entry.method) {
    case 0: ok = Store(in, out, error); break;
    case 1: ok = Bzip2(in, out, error); break;
    case 2: ok = Inflate(in, out, error); break;
    default: *error = "unknown compression method " + std::to_string(entry.method); return false;
    }
    if (in.Truncated()) {
        *error = "the archive is cut off inside " + entry.name;
        return false;
    }
    if (!ok) return false;
    if (sink.Written() != entry.size) {
        *error = "size mismatch: " + std::to_string(sink.Written()) + " of " + std::to_string(entry.size) + " bytes";
        return false;
    }
    if (static_cast<uint32_t>(out.crc) != entry.crc) {
        *error = entry.IsEncrypted() ? "CRC error (wrong password or damaged data)" : "CRC error";
        return false;
    }
    return true;
}

}  // namespace tavora::alz
