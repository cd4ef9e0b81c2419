#pragma once
// A walk over the block headers of one RAR5 file, for what libarchive does not tell
// (whether an entry's data is encrypted, whether the headers themselves are) and for
// listing a single archive without decoding anything: libarchive lists a solid archive
// by decoding every entry it passes, which damaged data can drive into absurd buffer
// requests.
//
// Layout: the 8-byte marker "Rar!\x1a\x07\x01\x00", then blocks of
//   u32 crc, vint header size (counted from the type on), vint type, vint flags,
//   [vint extra area size when flags & 1], [vint data size when flags & 2],
//   the type's fields, the extra area (the header's last bytes), then the data.
// A file header (type 2) starts with vint file flags (1: a folder), vint size, vint
// attributes, [u32 time when file flags & 2], [u32 crc when file flags & 4], vint
// compression, vint host OS, vint name length and the UTF-8 name. Its extra area is a
// list of records (vint size counted from the type on, vint type, data); type 1 marks
// encrypted data, type 5 a link. Unix attributes (host OS 1) give the file type. An archive encryption header (type 4) means every header after it is
// encrypted. A block with flags & 8 continues a file from the previous volume.
// The end header (type 5) ends the walk. Headers larger than 2 MB are refused, as RAR
// itself never writes them.

#include <cstdint>
#include <functional>
#include <string>

#include "Rar4Headers.h"

namespace tavora::unrar {

struct Rar5Entry {
    std::string name;  // as stored: UTF-8, "/" separated
    uint64_t size = 0;
    bool isFolder = false;
    bool isEncrypted = false;
    bool isLink = false;     // a link or another special file: never extracted
    bool continues = false;  // the rest of a file begun in the previous volume
};

// Calls fn for every file header in order until it returns false.
WalkStatus WalkRar5(const std::string& path, const std::function<bool(const Rar5Entry&)>& fn);

}  // namespace tavora::unrar
