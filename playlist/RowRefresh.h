#pragma once
// The title-and-time pass over the playlist, as a loop over rows: the reading of each
// song (tags, length) is supplied by the caller (the tag reader's ReadRowTitleAndTime).
//
// Threading: runs on the calling (worker) thread, which reads the songs with `readers`
// threads of its own (joined before it returns); `read` must be safe to call from
// several threads. Songs are read without EntryLock (reading a file takes time and must
// not hold up the list); each song is read once per pass however often the list names
// it; results are written back in batches, and only to rows that still hold the same
// path, so rows that a deletion or a drag moved meanwhile are never given another song's
// title. Two passes at once are kept apart by the caller's own lock
// (TitleTimeRefreshLock).

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace tavora {

class PlaylistModel;

struct RowText {
    std::string title;
    // nullopt: the row keeps its time (re-titling reads no lengths).
    std::optional<std::string> time;
};

// Reads rows `firstRow`..last (the last row as it is when the pass gets there); a row
// for which `read` returns nullopt keeps its texts. Stops early when `stop` becomes
// true. Returns the number of rows changed.
int RefreshRows(PlaylistModel& model, int firstRow,
                const std::function<std::optional<RowText>(const std::string& path)>& read,
                const std::atomic<bool>* stop = nullptr, int readers = 1);

}  // namespace tavora
