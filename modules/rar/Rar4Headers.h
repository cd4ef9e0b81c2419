#pragma once
// A walk over the block headers of a RAR 1.5-4.x archive (one file). libarchive stops
// listing a solid archive of this generation after its first entry, and libunarr
// decodes legacy names as DOS text, so the listing of these archives is our own: the
// header layout is simple and public, and only names, sizes and flags are read.
//
// Layout: a 7-byte marker "Rar!\x1a\x07\x00", then blocks of
//   u16 crc, u8 type, u16 flags, u16 header size [, u32 data size when flags & 0x8000]
// The main header (0x73) says whether the headers are encrypted (0x80). A file header
// (0x74) continues with u32 packed size, u32 size, u8 host OS, u32 crc, u32 time,
// u8 version, u8 method, u16 name size, u32 attributes [, u32 high packed size,
// u32 high size when flags & 0x100], the name; its data follows the header. The name is
// in the creator's code page, or, with flags & 0x200, that form, a zero byte and the
// UTF-16 form in RAR's compact encoding (or UTF-8 alone when there is no zero byte).
// The end block (0x7b) ends the walk.

#include <cstdint>
#include <functional>
#include <string>

namespace tavora::unrar {

struct Rar4Entry {
    std::string name;  // UTF-8, "/" separated
    uint64_t size = 0;
    bool isFolder = false;
    bool isLink = false;
    bool isEncrypted = false;
};

enum class WalkStatus { Ok, NotRar4, ProtectedHeaders, Damaged };

// Calls fn for every entry in order until it returns false.
WalkStatus WalkRar4(const std::string& path, const std::function<bool(const Rar4Entry&)>& fn);

// The name field of a file header with the Unicode flag, as UTF-8.
std::string DecodeRar4UnicodeName(const std::string& field);

}  // namespace tavora::unrar
