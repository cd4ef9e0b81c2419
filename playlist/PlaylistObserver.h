#pragma once
// What the playlist tells the views that draw it.
//
// Threading: the model calls its observers on the thread that made the change (a
// loader or scanner thread as well as the UI thread), after it has released
// EntryLock, so an observer may read the model from inside a call. Calls for changes
// made by different threads may run at the same time and may arrive in another order
// than the changes were made; an observer that draws should therefore only note that
// something changed and read the model on its own thread (PlaylistModelSignals does
// that with queued Qt signals). Observers must be thread-safe and must not block; they
// may read the model but must not change it or add or remove observers.

#include <vector>

namespace tavora {

class PlaylistObserver {
public:
    virtual ~PlaylistObserver() = default;

    // `count` rows were appended from row `first` on.
    virtual void RowsAdded(int first, int count) {}
    // The rows with these indices (ascending, counted before the removal) were removed.
    virtual void RowsRemoved(const std::vector<int>& rows) {}
    // Every row was removed.
    virtual void AllRowsRemoved() {}
    // Rows were reordered by a drag; every row from `first` on may have changed.
    virtual void RowsMoved(int first) {}
    // Title or time of rows `first`..`first`+`count`-1 changed.
    virtual void RowsChanged(int first, int count) {}
    // The current-row mark moved to `row` (-1: no row carries it).
    virtual void CurrentRowChanged(int row) {}
    // The row count changed: the list's column layout and scroll range need redoing.
    virtual void LayoutNeeded(int rowCount) {}
};

}  // namespace tavora
