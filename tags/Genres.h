#pragma once
// The ID3v1 genre list (with the later extensions to 148 names) and the genre convention
// of ID3 tags: "(n)" or "(n)name", n indexing the list, 255 meaning "not in the list, the
// name after the parenthesis is the genre". Pure functions, thread-safe.

#include <optional>
#include <string>
#include <string_view>

namespace tavora {

inline constexpr int kGenreCount = 148;
inline constexpr int kFreeGenreIndex = 255;

// Name of list entry index; empty outside 0..kGenreCount-1.
std::string_view GenreName(int index);

// List index of a name (compared without regard to ASCII case or surrounding spaces);
// nullopt when not listed.
std::optional<int> GenreIndex(std::string_view name);

// The display name of a stored genre: "(17)" and "(17)Rock" give "Rock", "(255)Trot" gives
// "Trot", a bare number "17" (as v2.4 writes it) gives "Rock", "(RX)" and "(CR)" give
// "Remix" and "Cover", and any other text is the name itself.
std::string GenreDisplayName(std::string_view stored);

// The stored form of a name: "(17)Rock" for a listed name, "(255)name" otherwise, empty for
// an empty name.
std::string GenreStoredForm(std::string_view name);

}  // namespace tavora
