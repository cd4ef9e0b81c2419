#pragma once
// Reading the records of an ALZ archive, one at a time, from the joined volumes.
//
// How an ALZ archive is laid out (all numbers little-endian): an 8-byte archive header
// ("ALZ\x01", u16 version, u16 volume index), then one record after another, each
// starting with a 4-byte signature. There is no central directory: the list of entries
// is found by walking the records from the start, skipping each entry's data by its
// packed size.
//
//   "BLZ\x01"  an entry:  u16 name length, u8 attributes (0x10 folder, 0x40 link),
//              u32 DOS time, u8 flags, u8 reserved, then, when W = flags >> 4 is not 0,
//              u8 method (0 store, 1 ALZ-bzip2, 2 raw deflate), u8 reserved,
//              u32 CRC-32 of the contents, W-byte packed size, W-byte size (W is 1, 2,
//              4 or 8; 0 means no sizes and no data); then the name (CP949, "/" or
//              "\" between folders); when flags & 1, a 12-byte ZipCrypto header; then
//              the packed data.
//   "CLZ\x01"  trailer start, followed by 8 bytes that are skipped.
//   "CLZ\x02"  end of the archive; "ELZ\x01" (a comment block) also ends the walk.
//
// A clean end of the stream at a record boundary ends the walk as well (some writers
// leave the trailer out); anything else, or a record cut short, is damage.

#include <cstdint>
#include <string>

#include "AlzVolumes.h"

namespace tavora::alz {

struct AlzEntry {
    uint64_t headerOffset = 0;  // where its "BLZ\x01" starts: the entry's position
    uint64_t dataOffset = 0;
    std::string name;           // UTF-8, "/" separated
    uint8_t attributes = 0;
    uint8_t flags = 0;
    uint8_t method = 0;
    uint32_t crc = 0;
    uint64_t packedSize = 0;
    uint64_t size = 0;
    unsigned char cryptHeader[12] = {};

    bool IsFolder() const { return attributes & 0x10; }
    bool IsLink() const { return attributes & 0x40; }
    bool IsEncrypted() const { return flags & 0x01; }
    bool HasSizes() const { return (flags >> 4) != 0; }
};

enum class RecordResult { Entry, End, Damaged };

// Reads the record at *offset. On Entry, fills `entry` and moves *offset past its data;
// on Damaged, *error says what is wrong.
RecordResult ReadRecord(VolumeSet& stream, uint64_t* offset, AlzEntry* entry, std::string* error);

// Where the first record starts.
inline constexpr uint64_t kFirstRecord = 8;

}  // namespace tavora::alz
