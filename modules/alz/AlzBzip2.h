#pragma once
// The bzip2 variant of ALZ (method 1). The blocks are ordinary bzip2 blocks (BWT, MTF,
// Huffman, run lengths), but the framing differs: no "BZh" stream header (the block
// size is always 900k), each block starts with the 32 bits "DLZ\x01" instead of the
// 48-bit magic, block CRC and randomised bit, and the stream ends with "DLZ\x02"
// instead of the end magic and combined CRC. libbz2 insists on those CRCs, so the
// blocks are decoded here; the entry's CRC-32 is the only integrity check.

#include <cstddef>
#include <functional>
#include <string>

namespace tavora::alz {

// Pulls packed bytes: fills up to n bytes, returns how many (0 at the end).
using ByteSource = std::function<size_t(unsigned char* buffer, size_t n)>;
// Takes decoded bytes; false stops decoding.
using ByteOutput = std::function<bool(const unsigned char* data, size_t n)>;

// Decodes the whole stream. False with *error on damaged data or a refused write.
bool DecodeAlzBzip2(const ByteSource& in, const ByteOutput& out, std::string* error);

}  // namespace tavora::alz
