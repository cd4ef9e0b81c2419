#include "AlzBzip2.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace tavora::alz {

namespace {

constexpr uint32_t kBlockMarker = 0x444C5A01;  // "DLZ\x01"
constexpr uint32_t kEndMarker = 0x444C5A02;    // "DLZ\x02"
constexpr int kBlockSize = 900000;
constexpr int kMaxGroups = 6, kGroupSize = 50, kMaxAlpha = 258, kMaxCodeLength = 20, kMaxSelectors = 18002;

class BitReader {
public:
    explicit BitReader(const ByteSource& in) : in_(in) {}
    // Reads n (<= 24) bits, most significant first; sets failed() at the end of input.
    uint32_t Get(int n) {
        while (count_ < n) {
            if (pos_ == len_) {
                len_ = in_(buffer_, sizeof buffer_);
                pos_ = 0;
                if (len_ == 0) {
                    failed_ = true;
                    return 0;
                }
            }
            bits_ = (bits_ << 8) | buffer_[pos_++];
            count_ += 8;
        }
        count_ -= n;
        return static_cast<uint32_t>(bits_ >> count_) & ((1u << n) - 1);
    }
    bool failed() const { return failed_; }

private:
    const ByteSource& in_;
    unsigned char buffer_[4096];
    size_t pos_ = 0, len_ = 0;
    uint64_t bits_ = 0;
    int count_ = 0;
    bool failed_ = false;
};

struct HuffmanTable {
    int32_t limit[kMaxCodeLength + 2];
    int32_t base[kMaxCodeLength + 2];
    int32_t perm[kMaxAlpha];
    int minLength, maxLength;

    void Build(const uint8_t* lengths, int alphaSize) {
        minLength = 32, maxLength = 0;
        for (int i = 0; i < alphaSize; ++i) {
            if (lengths[i] > maxLength) maxLength = lengths[i];
            if (lengths[i] < minLength) minLength = lengths[i];
        }
        int pp = 0;
        for (int i = minLength; i <= maxLength; ++i)
            for (int j = 0; j < alphaSize; ++j)
                if (lengths[j] == i) perm[pp++] = j;
        int32_t count[kMaxCodeLength + 3] = {};
        for (int i = 0; i < alphaSize; ++i) ++count[lengths[i] + 1];
        for (int i = 1; i < kMaxCodeLength + 3; ++i) count[i] += count[i - 1];
        int32_t vec = 0;
        for (int i = 0; i < kMaxCodeLength + 2; ++i) limit[i] = -1, base[i] = 0;
        for (int i = minLength; i <= maxLength; ++i) {
            vec += count[i + 1] - count[i];
            limit[i] = vec - 1;
            vec <<= 1;
        }
        for (int i = minLength; i <= maxLength; ++i) base[i] = count[i];
        for (int i = minLength + 1; i <= maxLength; ++i) base[i] = ((limit[i - 1] + 1) << 1) - count[i];
        base[minLength] = count[minLength];
    }

    // -1 on a code no symbol has.
    int Decode(BitReader& bits) const {
        int length = minLength;
        int32_t code = static_cast<int32_t>(bits.Get(length));
        while (length <= maxLength && code > limit[length]) {
            ++length;
            code = (code << 1) | static_cast<int32_t>(bits.Get(1));
        }
        if (length > maxLength || bits.failed()) return -1;
        const int32_t index = code - base[length];
        if (index < 0 || index >= kMaxAlpha) return -1;
        return perm[index];
    }
};

class BlockDecoder {
public:
    BlockDecoder() : tt_(new uint32_t[kBlockSize]) {}

    // Decodes one block (after its marker) and hands its bytes to out.
    bool Decode(BitReader& bits, const ByteOutput& out, std::string* error) {
        const uint32_t origPtr = bits.Get(24);
        // Symbols in use: a 16-bit map of 16-symbol groups, then one 16-bit map per group.
        uint8_t seqToUnseq[256];
        int inUse = 0;
        const uint32_t groupsUsed = bits.Get(16);
        for (int i = 0; i < 16; ++i) {
            if (!(groupsUsed & (0x8000u >> i))) continue;
            const uint32_t used = bits.Get(16);
            for (int j = 0; j < 16; ++j)
                if (used & (0x8000u >> j)) seqToUnseq[inUse++] = static_cast<uint8_t>(i * 16 + j);
        }
        if (inUse == 0) return Fail(error, "no symbols in a block");
        const int alphaSize = inUse + 2;
        const int groups = static_cast<int>(bits.Get(3));
        const int selectorCount = static_cast<int>(bits.Get(15));
        if (groups < 2 || groups > kMaxGroups || selectorCount < 1) return Fail(error, "bad table counts");
        std::vector<uint8_t> selectors;
        selectors.reserve(selectorCount < kMaxSelectors ? selectorCount : kMaxSelectors);
        uint8_t mtfGroups[kMaxGroups];
        for (int i = 0; i < groups; ++i) mtfGroups[i] = static_cast<uint8_t>(i);
        for (int i = 0; i < selectorCount; ++i) {
            int j = 0;
            while (bits.Get(1)) {
                if (++j >= groups) return Fail(error, "bad selector");
            }
            if (bits.failed()) return Fail(error, "the data ends early");
            const uint8_t value = mtfGroups[j];
            for (; j > 0; --j) mtfGroups[j] = mtfGroups[j - 1];
            mtfGroups[0] = value;
            if (i < kMaxSelectors) selectors.push_back(value);
        }
        HuffmanTable tables[kMaxGroups];
        for (int t = 0; t < groups; ++t) {
            uint8_t lengths[kMaxAlpha];
            int current = static_cast<int>(bits.Get(5));
            for (int s = 0; s < alphaSize; ++s) {
                for (;;) {
                    if (current < 1 || current > kMaxCodeLength || bits.failed()) return Fail(error, "bad code lengths");
                    if (!bits.Get(1)) break;
                    current += bits.Get(1) ? -1 : 1;
                }
                lengths[s] = static_cast<uint8_t>(current);
            }
            tables[t].Build(lengths, alphaSize);
        }
        // Huffman-coded MTF values with RUNA/RUNB runs, into tt_.
        uint8_t mtf[256];
        for (int i = 0; i < 256; ++i) mtf[i] = static_cast<uint8_t>(i);
        uint32_t counts[256] = {};
        const int endOfBlock = inUse + 1;
        int blockLength = 0, groupIndex = -1, groupLeft = 0;
        uint32_t run = 0, runWeight = 1;
        for (;;) {
            if (groupLeft == 0) {
                if (++groupIndex >= static_cast<int>(selectors.size())) return Fail(error, "too few selectors");
                groupLeft = kGroupSize;
            }
            --groupLeft;
            const int symbol = tables[selectors[groupIndex]].Decode(bits);
            if (symbol < 0 || symbol > endOfBlock) return Fail(error, "bad Huffman code");
            if (symbol <= 1) {
                if (runWeight > (1u << 21)) return Fail(error, "run too long");
                run += runWeight << symbol;
                runWeight <<= 1;
                continue;
            }
            if (run > 0) {
                if (run > static_cast<uint32_t>(kBlockSize - blockLength)) return Fail(error, "block too long");
                const uint8_t value = seqToUnseq[mtf[0]];
                counts[value] += run;
                while (run--) tt_[blockLength++] = value;
                run = 0, runWeight = 1;
            }
            if (symbol == endOfBlock) break;
            if (blockLength >= kBlockSize) return Fail(error, "block too long");
            const int index = symbol - 1;
            if (index >= inUse) return Fail(error, "bad MTF index");
            const uint8_t picked = mtf[index];
            std::memmove(mtf + 1, mtf, static_cast<size_t>(index));
            mtf[0] = picked;
            const uint8_t value = seqToUnseq[picked];
            ++counts[value];
            tt_[blockLength++] = value;
        }
        if (blockLength == 0) return true;
        if (origPtr >= static_cast<uint32_t>(blockLength)) return Fail(error, "bad block origin");
        // Inverse Burrows-Wheeler transform: link each position to its successor.
        uint32_t start[256];
        uint32_t sum = 0;
        for (int i = 0; i < 256; ++i) start[i] = sum, sum += counts[i];
        for (int i = 0; i < blockLength; ++i) {
            const uint8_t value = static_cast<uint8_t>(tt_[i] & 0xFF);
            tt_[start[value]++] |= static_cast<uint32_t>(i) << 8;
        }
        return Unrun(origPtr, blockLength, out, error);
    }

private:
    static bool Fail(std::string* error, const char* what) {
        *error = std::string("damaged bzip2 data: ") + what;
        return false;
    }

    // Walks the transform and undoes the initial run-length step: after four equal
    // bytes, the next byte counts further repeats.
    bool Unrun(uint32_t origPtr, int blockLength, const ByteOutput& out, std::string* error) {
        std::vector<unsigned char> buffer;
        buffer.reserve(64 * 1024 + 256);
        uint32_t pos = tt_[origPtr] >> 8;
        int last = -1, same = 0;
        for (int i = 0; i < blockLength; ++i) {
            if (pos >= static_cast<uint32_t>(blockLength)) return Fail(error, "bad block origin");
            pos = tt_[pos];
            const auto c = static_cast<unsigned char>(pos & 0xFF);
            pos >>= 8;
            if (same == 4) {
                buffer.insert(buffer.end(), c, static_cast<unsigned char>(last));
                same = 0, last = -1;
            } else {
                if (c == last) {
                    ++same;
                } else {
                    last = c, same = 1;
                }
                buffer.push_back(c);
            }
            if (buffer.size() >= 64 * 1024) {
                if (!out(buffer.data(), buffer.size())) return Fail(error, "output refused");
                buffer.clear();
            }
        }
        if (!buffer.empty() && !out(buffer.data(), buffer.size())) return Fail(error, "output refused");
        return true;
    }

    std::unique_ptr<uint32_t[]> tt_;
};

}  // namespace

bool DecodeAlzBzip2(const ByteSource& in, const ByteOutput& out, std::string* error) {
    BitReader bits(in);
    BlockDecoder block;
    for (;;) {
        const uint32_t marker = (bits.Get(16) << 16) | bits.Get(16);
        if (bits.failed()) {
            *error = "damaged bzip2 data: the data ends early";
            return false;
        }
        if (marker == kEndMarker) return true;
        if (marker != kBlockMarker) {
            *error = "damaged bzip2 data: no block marker";
            return false;
        }
        if (!block.Decode(bits, out, error)) return false;
    }
}

}  // namespace tavora::alz
