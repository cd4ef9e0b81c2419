#include "PlaylistRegistry.h"

#include <string>
#include <utility>
#include <vector>

#include "PlaylistModel.h"
#include "StoredPlaylist.h"

namespace tavora {

void SavePlaylistToRegistry(const PlaylistModel& model) {
    std::vector<PlaylistEntry> entries = model.Entries();
    std::vector<StoredPlaylistRow> rows;
    rows.reserve(entries.size());
    for (PlaylistEntry& e : entries) rows.push_back({std::move(e.title), std::move(e.time), std::move(e.path)});
    SaveStoredPlaylist(rows);
}

RegistryLoadResult LoadPlaylistFromRegistry(PlaylistModel& model, bool beginPlay) {
    RegistryLoadResult result;
    result.rowsLoaded = LoadStoredPlaylist([&model](std::vector<StoredPlaylistRow>&& rows) {
        std::vector<NewEntry> chunk;
        chunk.reserve(rows.size());
        for (StoredPlaylistRow& r : rows) chunk.push_back({std::move(r.title), std::move(r.time), std::move(r.path)});
        model.AddEntries(std::move(chunk));
    });
    if (beginPlay) {
        EntryGuard guard(model);
        if (model.LastIndexLocked(guard) >= 0) {
            model.SetSelectedIndexLocked(guard, 0);
            model.SetCurrentIndexLocked(guard, 0);
            result.playRow = 0;
        }
    }
    return result;
}

}  // namespace tavora
