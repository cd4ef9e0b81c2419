#pragma once
// The playlist kept in the settings store between runs.
//
// Layout below SOFTWARE\TavoraPlayer: "\PlayList\Count" "ListCount" (DWORD, the row
// count) and the REG_SZ values "0", "1", ... of "\PlayList\Name" (title),
// "\PlayList\Time" and "\PlayList\Path". Labels and the current-row mark are not kept.
//
// Threading: both functions may run on any thread. Saving writes everything in one
// transaction, so a crash leaves the old list or the new one; rows are overwritten in
// place, and the rows of a previous, longer list (and anything else in those keys) are
// removed, so a shorter list never leaves rows of a longer one behind.
// Loading adds rows through the model (in chunks, so the list fills while it loads);
// two loads never interleave. The store side is settings/StoredPlaylist.h.

namespace tavora {

class PlaylistModel;

void SavePlaylistToRegistry(const PlaylistModel& model);

struct RegistryLoadResult {
    int rowsLoaded = 0;
    // The row to start playing: 0 when "BeginPlay" is on and the list is not empty
    // (selectedIndex and currentIndex are then 0); -1 otherwise.
    int playRow = -1;
};

// Rows come back exactly as saved, without checking titles, times or files. A value
// that is missing, not text, or of 1024 bytes or more loads as "ERROR". A count larger
// than the rows stored (a damaged store) loads only the rows that are there.
RegistryLoadResult LoadPlaylistFromRegistry(PlaylistModel& model, bool beginPlay);

}  // namespace tavora
