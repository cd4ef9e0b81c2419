#pragma once
// Text for the fixed-width fields of ID3v1 tags, which Korean players read as CP949.
//
// Each UTF-8 character is encoded by itself; a character CP949 does not have becomes "?".
// The text is cut before the first character that would not fit whole, so a field never
// ends in half of a two-byte character. Pure functions, thread-safe.

#include <cstddef>
#include <string>
#include <string_view>

namespace tavora {

struct Cp949Field {
    std::string bytes;      // CP949, at most maxBytes long
    std::string utf8Taken;  // the prefix of the input that these bytes stand for
};

Cp949Field Utf8ToCp949Field(std::string_view utf8, size_t maxBytes);

}  // namespace tavora
