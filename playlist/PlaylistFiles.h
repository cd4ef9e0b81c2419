#pragma once
// Reading and writing the lines of M3U and PLS files (no probing, no playlist changes).
//
// Threading: pure functions over files; safe on any thread.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PlaylistEntry.h"

namespace tavora {

class PlaylistLineReader;

// Writes "#EXTM3U", then "#EXTINF:0,<title>" and "<path>" for each row, lines ended by
// CR LF. The file is replaced in one step, so a failed write keeps the old file.
// False when it could not be written.
bool WriteM3u(const std::string& listPath, const std::vector<PlaylistEntry>& rows);

// True for "scheme://..." (http, mms, https, ...): an address rather than a file path.
bool HasUrlScheme(std::string_view text);

// A path as written in a list file, made usable: addresses and absolute paths stay as
// they are, "file://" URLs become local paths, and a relative path is taken relative to
// the list file's folder (other players write lists that way; Windows-style "\" in a
// relative path is tried as "/" when the path does not exist as written).
std::string ResolveListEntry(std::string_view entry, const std::string& listFolder);

// The entries of an M3U file: every line except blank lines and "#" lines (the header,
// "#EXTINF:" and other comments), resolved against the file's folder. The "#EXTINF:"
// title and duration are not used: rows take titles and lengths from the songs.
// False (and no call) when the file cannot be opened.
bool ForEachM3uEntry(const std::string& listPath, const std::function<void(const std::string& path)>& entry);
void ForEachM3uEntry(PlaylistLineReader& reader, const std::string& listFolder,
                     const std::function<void(const std::string& path)>& entry);

// The value of a "FileN=" line of a PLS file (N = 1, 2, ... without leading zeros, in
// any number), nullopt for every other line.
std::optional<std::string> PlsEntryValue(std::string_view line);

// The values of a PLS file in file order; nullopt when it cannot be opened.
std::optional<std::vector<std::string>> ReadPlsValues(const std::string& listPath);
std::vector<std::string> ReadPlsValues(PlaylistLineReader& reader);

}  // namespace tavora
