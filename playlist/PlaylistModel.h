#pragma once
// The playlist: its rows, the indices the player navigates by and the random order.
//
// Threading contract
//  - One mutex, EntryLock, guards the rows together with selectedIndex, currentIndex,
//    lastIndex, the current-row mark and the shuffle order. lastIndex is the row count
//    minus one at every moment: it changes in the same locked step as the rows, so a
//    loader thread adding rows and the UI thread deleting rows never see the two out of
//    step.
//  - Every public function without a guard parameter may be called from any thread; it
//    takes EntryLock for its own duration.
//  - Functions ending in "Locked" take an EntryGuard (from LockEntries()), which proves
//    that the caller holds EntryLock; several of them form one atomic step (the track
//    advance reads the indices, moves them and reads the chosen row that way). Never call
//    an unguarded function of the same model while holding a guard (EntryLock is not
//    recursive).
//  - Observers are told about changes after EntryLock has been released, on the thread
//    that made the change (see PlaylistObserver.h). RemoveObserver() waits for calls in
//    progress; never call it from inside an observer.
//  - Deleting rows may delete files extracted from archives (below the install folder's
//    "Temp/", given once by SetInstallFolder(); without it no file is ever deleted; see
//    ExtractedFile.h for what counts as lying there). When such a file is the one playing,
//    the stream releaser given to
//    SetCurrentStreamReleaser() is called first, on the deleting thread (the UI thread
//    for the delete commands), outside EntryLock.

#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "PlaylistEntry.h"
#include "PlaylistObserver.h"

namespace tavora {

class PlaylistModel;

// Proof that EntryLock is held; releasing it (the destructor) also tells the observers
// what changed while it was held.
class EntryGuard {
public:
    explicit EntryGuard(const PlaylistModel& model);
    ~EntryGuard();
    EntryGuard(const EntryGuard&) = delete;
    EntryGuard& operator=(const EntryGuard&) = delete;

    bool Guards(const PlaylistModel& model) const { return model_ == &model; }

private:
    friend class PlaylistModel;
    struct Event {
        enum Kind { Added, Removed, AllRemoved, Moved, Changed, CurrentRow, Layout } kind;
        int a = 0;
        int b = 0;
        std::vector<int> rows;
    };
    const PlaylistModel* model_;
    std::unique_lock<std::mutex> lock_;
    std::vector<Event> events_;
};

// A row to add: the label is derived from the position.
struct NewEntry {
    std::string title;
    std::string time;
    std::string path;
};

// New texts for a row that holds `path` (a row that no longer does is left alone).
struct RowUpdate {
    int row = -1;
    std::string path;
    std::string title;
    std::optional<std::string> time;  // nullopt: the time stays
};

class PlaylistModel {
public:
    PlaylistModel();
    ~PlaylistModel();
    PlaylistModel(const PlaylistModel&) = delete;
    PlaylistModel& operator=(const PlaylistModel&) = delete;

    void AddObserver(PlaylistObserver* observer);
    void RemoveObserver(PlaylistObserver* observer);
    // Frees the engine's current stream; called before the playing row's extracted
    // file is deleted.
    void SetCurrentStreamReleaser(std::function<void()> releaser);
    // The install folder (no trailing "/"), whose "Temp/" holds songs extracted from
    // archives; "" (the default) means unknown, and then no file is deleted.
    void SetInstallFolder(std::string folder);
    // Makes the shuffle orders reproducible (tests, benchmarks).
    void SeedShuffle(unsigned seed);

    EntryGuard LockEntries() const { return EntryGuard(*this); }

    // --- Rows -------------------------------------------------------------------
    // Appends one row and returns its index.
    int AddEntry(std::string_view title, std::string_view time, std::string_view path);
    int AddEntryLocked(EntryGuard& guard, std::string_view title, std::string_view time, std::string_view path);
    // Appends rows in one locked step and returns the index of the first (-1 for none).
    int AddEntries(std::vector<NewEntry> rows);

    // Removes the rows with the given indices (the list control's selection; order and
    // duplicates do not matter, indices outside the list are ignored). currentIndex
    // follows its row, or becomes -1 when that row goes.
    void DeleteSelectedEntries(std::vector<int> selected);
    void DeleteAllEntries();
    // Moves the given rows, in their order, next to `dropRow` (after it when moving
    // down, before it when moving up) as a drag in the list does. The current row and
    // its mark follow their song. Returns the new index of the first moved row.
    int MoveEntries(std::vector<int> rows, int dropRow);

    // Replaces title and time of `row` if it still holds `expectedPath`: a worker that
    // read the song's tags must not write into a row that a deletion has shifted there.
    bool UpdateEntry(int row, std::string_view expectedPath, std::string_view title, std::string_view time);
    // The same for the title alone; the time stays as it is.
    bool UpdateTitle(int row, std::string_view expectedPath, std::string_view title);
    // Several rows in one locked step, announced as one change; returns the rows changed.
    int UpdateEntries(const std::vector<RowUpdate>& updates);

    // --- Reading ----------------------------------------------------------------
    int RowCount() const;
    int LastIndex() const;
    int LastIndexLocked(const EntryGuard& guard) const;
    // Column 0..3 of the row; "" for a row or column outside the list.
    std::string GetEntryField(int index, int column) const;
    std::string GetEntryFieldLocked(const EntryGuard& guard, int index, int column) const;
    std::optional<PlaylistEntry> Entry(int index) const;
    std::vector<PlaylistEntry> Entries() const;
    // Stores and returns the row count as countBeforeAdd: the first row of the next
    // title-and-time pass.
    int GetCount();
    int CountBeforeAdd() const;

    // --- Indices ----------------------------------------------------------------
    // Both may point outside the list (a click below the last row, or one past the
    // last row after the list played out); users check the range.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    int SelectedIndexLocked(const EntryGuard& guard) const;
    int CurrentIndexLocked(const EntryGuard& guard) const;
    void SetCurrentIndexLocked(EntryGuard& guard, int index);
    void SetSelectedIndexLocked(EntryGuard& guard, int index);
    // Puts the current-row mark (isCurrent) on `row` alone; -1 clears it.
    void MarkCurrentRow(int row);
    int MarkedRow() const;

    // --- Shuffle order ----------------------------------------------------------
    // Draws a new order of all rows now and sets shufflePos to -1. Adding and
    // deleting rows only mark the order stale; it is redrawn once, when it is next
    // read, so a batch of additions costs one draw.
    void RebuildShuffleOrder();
    std::vector<int> ShuffleOrder() const;
    int ShufflePos() const;
    int ShufflePosLocked(EntryGuard& guard);
    void SetShufflePosLocked(EntryGuard& guard, int pos);
    // The row at `pos` of the order, -1 outside it.
    int ShuffleRowLocked(EntryGuard& guard, int pos);

    // --- Archive files ----------------------------------------------------------
    // Deletes the extracted file of row `index` (freeing the current stream first when
    // the row is the playing one). Other rows are left alone.
    void ReleaseEntryFile(int index);

private:
    friend class EntryGuard;
    struct Row {
        std::string title;
        std::string time;
        std::string path;
        bool isCurrent = false;
    };
    struct Release {
        std::string path;
        bool isCurrentStream = false;
    };

    void Check(const EntryGuard& guard) const;
    void MarkShuffleStale(const EntryGuard& guard) const;
    void RefreshShuffle(const EntryGuard& guard) const;
    void DrawShuffle(const EntryGuard& guard) const;
    void CollectRelease(const EntryGuard& guard, int row, std::vector<Release>& out) const;
    void PerformReleases(const std::vector<Release>& releases);
    void Deliver(const std::vector<EntryGuard::Event>& events) const;

    mutable std::mutex entryLock_;
    std::vector<Row> rows_;
    int selectedIndex_ = -1;
    int currentIndex_ = -1;
    int markedRow_ = -1;
    int countBeforeAdd_ = 0;
    // The shuffle state changes when it is read (a stale order is redrawn then).
    mutable std::vector<int> shuffleOrder_;
    mutable int shufflePos_ = -1;
    mutable bool shuffleStale_ = false;
    mutable std::mt19937 random_;

    std::string installFolder_;
    std::function<void()> releaseCurrentStream_;
    mutable std::shared_mutex observersLock_;
    std::vector<PlaylistObserver*> observers_;
};

}  // namespace tavora
