#pragma once
// One playlist row and the small text rules every playlist part shares. (The file-name
// title and the length text are the tag reader's FileNameTitle and FormatTrackTime.)
//
// All functions here are pure and thread-safe. Text is UTF-8 throughout.

#include <string>
#include <string_view>

namespace tavora {

// The marks the time column carries instead of a length.
inline constexpr std::string_view kTimeUrl = "URL";          // internet stream
inline constexpr std::string_view kTimeUnplayable = "---";   // neither a song nor an address
inline constexpr std::string_view kTimeArchive = "압축";     // extracted from an archive, not measured yet

// Column numbers of GetEntryField.
enum EntryColumn : int { kColumnLabel = 0, kColumnTitle = 1, kColumnTime = 2, kColumnPath = 3 };

struct PlaylistEntry {
    std::string label;  // "  N." with N the 1-based row number
    std::string title;
    std::string time;
    std::string path;
    bool isCurrent = false;
};

// The row number as shown: "  1." for row 0. Labels follow the position, never the song.
std::string RowLabel(int row);

// The text after the last ".", or "" when there is none.
std::string_view ExtensionOf(std::string_view path);

// The file name after the last "/".
std::string_view FileNameOf(std::string_view path);

// True for an extension spelled all lower-case or all upper-case from `lower`; mixed
// case is another extension.
bool ExtensionIs(std::string_view ext, std::string_view lower);

// "http://"..., "mms://"... (any case of the scheme) - the addresses of internet streams.
bool IsStreamAddress(std::string_view text);

}  // namespace tavora
