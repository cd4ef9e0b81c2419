#pragma once
// The texts of an internet stream's metadata, read without the engine:
//  - the stream-title block, "StreamTitle='Artist - Song';StreamUrl='...';": the title
//    runs from after "StreamTitle='" to the quote that closes it, which is the quote
//    followed by ";" or by the end of the block. Quotes and semicolons inside the title
//    stay ("Rock 'n' Roll; Live"). A block without a closing quote ends the title at the
//    end of the block; a block without "StreamTitle='" has no title.
//  - the header lines (NUL-separated, an empty string last): "icy-name:" gives the
//    station name, "icy-br:" the bit rate, each without leading blanks.
// Texts are cut to the bounds the player's displays hold.
//
// Threading: pure functions.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavora {

inline constexpr size_t kStreamTitleLimit = 1003;  // titleText holds 1,003 characters
inline constexpr size_t kBitrateLimit = 259;

// The song title of a metadata block; nullopt when the block carries none.
std::optional<std::string> ParseStreamTitle(std::string_view metadata);

struct IcyHeaders {
    std::optional<std::string> name;     // "icy-name:"
    std::optional<std::string> bitrate;  // "icy-br:"
};

// The header list as the engine gives it: strings each ended by NUL, an empty string
// last. `size` bounds the read when the end marker is missing.
IcyHeaders ParseIcyHeaders(const char* list, size_t size);
// The same for a list known to end with an empty string.
IcyHeaders ParseIcyHeaders(const char* list);

// The window title after a station name arrived: the name is added once (not again on
// every tick) and never past kStreamTitleLimit.
std::string WithStationName(const std::string& title, const std::string& name);

}  // namespace tavora
