#pragma once
// The playlist kept in the settings store between runs.
//
// Layout below SOFTWARE\TavoraPlayer: "\PlayList\Count" "ListCount" (DWORD, the row
// count) and the REG_SZ values "0", "1", ... of "\PlayList\Name" (title),
// "\PlayList\Time" and "\PlayList\Path".
//
// Threading: both functions may run on any thread. Saving writes everything in one
// transaction, so a crash leaves the old list or the new one; rows are overwritten in
// place, and the rows of a previous, longer list (and anything else in those keys) are
// removed, so a shorter list never leaves rows of a longer one behind. Two loads never
// interleave.

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tavora {

struct StoredPlaylistRow {
    std::string title;
    std::string time;
    std::string path;
};

void SaveStoredPlaylist(std::span<const StoredPlaylistRow> rows);

// Reads the rows exactly as saved, without checking titles, times or files, and hands
// them to `take` in chunks (so a list can fill while it loads). A value that is missing,
// not text, or of 1024 bytes or more reads as "ERROR". A count larger than the rows
// stored (a damaged store) reads only the rows that are there. Returns the rows read.
int LoadStoredPlaylist(const std::function<void(std::vector<StoredPlaylistRow>&&)>& take);

}  // namespace tavora
