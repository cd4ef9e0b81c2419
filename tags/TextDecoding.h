#pragma once
// Conversions of tag text into UTF-8, the player's only text encoding.
//
// Tags from Korean Windows taggers carry CP949 bytes where the format says Latin-1 (ID3v1,
// ID3v2 encoding 0) or even UTF-8 (Vorbis comments). The rule everywhere: bytes that are
// valid UTF-8 are kept, anything else is decoded as CP949, and what is not CP949 either is
// taken as real ISO-8859-1. All functions are pure and thread-safe.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavora {

bool IsValidUtf8(std::string_view bytes);

// CP949 to UTF-8 through iconv; nullopt when the bytes are not CP949.
std::optional<std::string> Cp949ToUtf8(std::string_view bytes);

std::string Latin1ToUtf8(std::string_view bytes);

// Legacy 8-bit text: UTF-8 kept, else CP949, else ISO-8859-1. Never fails.
std::string LegacyTextToUtf8(std::string_view bytes);

// Like LegacyTextToUtf8, but nullopt instead of the Latin-1 guess (Vorbis comments, whose
// unreadable entries are skipped).
std::optional<std::string> UnicodeOrCp949ToUtf8(std::string_view bytes);

enum class Utf16Order { Little, Big };
// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD. An odd final byte is
// ignored.
std::string Utf16ToUtf8(std::string_view bytes, Utf16Order order);

// The longest prefix of at most maxBytes bytes that does not split a UTF-8 character.
std::string_view CutUtf8(std::string_view text, size_t maxBytes);

// Appends code point cp as UTF-8.
void AppendUtf8(std::string& out, uint32_t cp);

}  // namespace tavora
