#pragma once
// Entry names as the archive modules hand them out: UTF-8, "/" between folders.
// Names come from untrusted archives, so the split into path components is also
// where a name is judged fit to be written below a destination folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavora::unpack {

bool IsValidUtf8(std::string_view bytes);

// Bytes in the creator's code page: kept when they are valid UTF-8, otherwise decoded
// as CP949 (the Korean Windows code page). Bytes CP949 cannot decode become U+FFFD.
std::string DecodeLegacyName(std::string_view bytes);

// "\" becomes "/" (Windows-made archives use it; CP949 never has 0x5C as a trail byte).
std::string WithSlashes(std::string_view name);

// The folder components of a name, or nothing when the name must not be extracted:
// empty, absolute ("/x", "\x", "C:x"), holding a ".." component or a NUL, or with a
// component longer than the file system allows. "." and empty components are dropped.
std::optional<std::vector<std::string>> SafeComponents(std::string_view name);

}  // namespace tavora::unpack
