#include "PlaylistModel.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "ExtractedFile.h"
#include "TavoraCheck.h"

namespace tavora {

EntryGuard::EntryGuard(const PlaylistModel& model) : model_(&model), lock_(model.entryLock_) {}

EntryGuard::~EntryGuard() {
    lock_.unlock();
    if (!events_.empty()) model_->Deliver(events_);
}

PlaylistModel::PlaylistModel()
    : random_(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

PlaylistModel::~PlaylistModel() = default;

void PlaylistModel::AddObserver(PlaylistObserver* observer) {
    std::unique_lock lock(observersLock_);
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void PlaylistModel::RemoveObserver(PlaylistObserver* observer) {
    std::unique_lock lock(observersLock_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void PlaylistModel::SetCurrentStreamReleaser(std::function<void()> releaser) {
    EntryGuard guard(*this);
    releaseCurrentStream_ = std::move(releaser);
}

void PlaylistModel::SetInstallFolder(std::string folder) {
    EntryGuard guard(*this);
    installFolder_ = std::move(folder);
}

void PlaylistModel::SeedShuffle(unsigned seed) {
    EntryGuard guard(*this);
    random_.seed(seed);
}

void PlaylistModel::Deliver(const std::vector<EntryGuard::Event>& events) const {
    std::shared_lock lock(observersLock_);
    for (PlaylistObserver* observer : observers_) {
        for (const auto& e : events) {
            switch (e.kind) {
            case EntryGuard::Event::Added: observer->RowsAdded(e.a, e.b); break;
            case EntryGuard::Event::Removed: observer->RowsRemoved(e.rows); break;
            case EntryGuard::Event::AllRemoved: observer->AllRowsRemoved(); break;
            case EntryGuard::Event::Moved: observer->RowsMoved(e.a); break;
            case EntryGuard::Event::Changed: observer->RowsChanged(e.a, e.b); break;
            case EntryGuard::Event::CurrentRow: observer->CurrentRowChanged(e.a); break;
            case EntryGuard::Event::Layout: observer->LayoutNeeded(e.a); break;
            }
        }
    }
}

void PlaylistModel::Check(const EntryGuard& guard) const {
    // A guard of another model would leave this one unlocked: the caller would change
    // rows that another thread may be changing too. Checked in every build.
    TAVORA_CHECK(guard.Guards(*this));
}

// --- Rows ---------------------------------------------------------------------------

int PlaylistModel::AddEntry(std::string_view title, std::string_view time, std::string_view path) {
    EntryGuard guard(*this);
    return AddEntryLocked(guard, title, time, path);
}

int PlaylistModel::AddEntryLocked(EntryGuard& guard, std::string_view title, std::string_view time,
                                  std::string_view path) {
    Check(guard);
    rows_.push_back(Row{std::string(title), std::string(time), std::string(path), false});
    const int row = static_cast<int>(rows_.size()) - 1;
    MarkShuffleStale(guard);
    guard.events_.push_back({EntryGuard::Event::Added, row, 1, {}});
    guard.events_.push_back({EntryGuard::Event::Layout, row + 1, 0, {}});
    return row;
}

int PlaylistModel::AddEntries(std::vector<NewEntry> rows) {
    if (rows.empty()) return -1;
    EntryGuard guard(*this);
    const int first = static_cast<int>(rows_.size());
    rows_.reserve(rows_.size() + rows.size());
    for (NewEntry& e : rows)
        rows_.push_back(Row{std::move(e.title), std::move(e.time), std::move(e.path), false});
    MarkShuffleStale(guard);
    guard.events_.push_back({EntryGuard::Event::Added, first, static_cast<int>(rows.size()), {}});
    guard.events_.push_back({EntryGuard::Event::Layout, static_cast<int>(rows_.size()), 0, {}});
    return first;
}

void PlaylistModel::CollectRelease(const EntryGuard& guard, int row, std::vector<Release>& out) const {
    Check(guard);
    const std::string& path = rows_[static_cast<size_t>(row)].path;
    if (!IsExtractedFile(path, installFolder_)) return;
    const bool playing = currentIndex_ >= 0 && currentIndex_ < static_cast<int>(rows_.size()) &&
                         rows_[static_cast<size_t>(currentIndex_)].path == path;
    out.push_back({path, playing});
}

void PlaylistModel::PerformReleases(const std::vector<Release>& releases) {
    std::function<void()> releaser;
    std::string installFolder;
    {
        EntryGuard guard(*this);
        releaser = releaseCurrentStream_;
        installFolder = installFolder_;
    }
    bool streamFreed = false;
    for (const Release& r : releases) {
        if (r.isCurrentStream && !streamFreed && releaser) {
            releaser();
            streamFreed = true;
        }
        RemoveExtractedFile(r.path, installFolder);
    }
}

void PlaylistModel::ReleaseEntryFile(int index) {
    std::vector<Release> releases;
    {
        EntryGuard guard(*this);
        if (index < 0 || index >= static_cast<int>(rows_.size())) return;
        CollectRelease(guard, index, releases);
    }
    PerformReleases(releases);
}

void PlaylistModel::DeleteSelectedEntries(std::vector<int> selected) {
    std::vector<Release> releases;
    {
        EntryGuard guard(*this);
        const int count = static_cast<int>(rows_.size());
        std::sort(selected.begin(), selected.end());
        selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
        selected.erase(std::remove_if(selected.begin(), selected.end(), [count](int r) { return r < 0 || r >= count; }),
                       selected.end());
        MarkShuffleStale(guard);
        if (selected.empty()) return;

        std::vector<char> doomed(rows_.size(), 0);
        for (int r : selected) {
            doomed[static_cast<size_t>(r)] = 1;
            CollectRelease(guard, r, releases);
        }
        // An index follows its row: it drops by the number of deleted rows above it, and
        // becomes -1 when its own row goes.
        auto follow = [&](int index) {
            if (index < 0) return index;
            if (index < count && doomed[static_cast<size_t>(index)]) return -1;
            const auto above = std::lower_bound(selected.begin(), selected.end(), index) - selected.begin();
            return index - static_cast<int>(above);
        };
        currentIndex_ = follow(currentIndex_);
        markedRow_ = follow(markedRow_);

        size_t out = 0;
        for (size_t in = 0; in < rows_.size(); ++in) {
            if (doomed[in]) continue;
            if (out != in) rows_[out] = std::move(rows_[in]);
            ++out;
        }
        rows_.resize(out);
        guard.events_.push_back({EntryGuard::Event::Removed, 0, 0, selected});
        guard.events_.push_back({EntryGuard::Event::Layout, static_cast<int>(rows_.size()), 0, {}});
    }
    PerformReleases(releases);
}

void PlaylistModel::DeleteAllEntries() {
    std::vector<Release> releases;
    {
        EntryGuard guard(*this);
        for (int r = static_cast<int>(rows_.size()) - 1; r >= 0; --r) CollectRelease(guard, r, releases);
        rows_.clear();
        currentIndex_ = -1;
        markedRow_ = -1;
        MarkShuffleStale(guard);
        guard.events_.push_back({EntryGuard::Event::AllRemoved, 0, 0, {}});
        guard.events_.push_back({EntryGuard::Event::Layout, 0, 0, {}});
    }
    PerformReleases(releases);
}

int PlaylistModel::MoveEntries(std::vector<int> rows, int dropRow) {
    EntryGuard guard(*this);
    const int count = static_cast<int>(rows_.size());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }), rows.end());
    if (rows.empty()) return -1;

    // Moving down places the rows after the row under the cursor, moving up before it.
    int target = std::clamp(dropRow, 0, count - 1);
    if (rows.front() < target) ++target;
    std::vector<char> dragged(static_cast<size_t>(count), 0);
    for (int r : rows) {
        dragged[static_cast<size_t>(r)] = 1;
        if (r < target) --target;
    }
    std::vector<int> order;  // old index of each new position
    order.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        if (!dragged[static_cast<size_t>(r)]) order.push_back(r);
    target = std::clamp(target, 0, static_cast<int>(order.size()));
    order.insert(order.begin() + target, rows.begin(), rows.end());

    std::vector<int> newIndexOf(static_cast<size_t>(count));
    std::vector<Row> moved(static_cast<size_t>(count));
    for (int pos = 0; pos < count; ++pos) {
        newIndexOf[static_cast<size_t>(order[static_cast<size_t>(pos)])] = pos;
        moved[static_cast<size_t>(pos)] = std::move(rows_[static_cast<size_t>(order[static_cast<size_t>(pos)])]);
    }
    rows_ = std::move(moved);
    if (currentIndex_ >= 0 && currentIndex_ < count) currentIndex_ = newIndexOf[static_cast<size_t>(currentIndex_)];
    if (markedRow_ >= 0) {
        markedRow_ = newIndexOf[static_cast<size_t>(markedRow_)];
        currentIndex_ = markedRow_;
    }
    const int firstChanged = std::min(rows.front(), target);
    guard.events_.push_back({EntryGuard::Event::Moved, firstChanged, 0, {}});
    if (markedRow_ >= 0) guard.events_.push_back({EntryGuard::Event::CurrentRow, markedRow_, 0, {}});
    return target;
}

bool PlaylistModel::UpdateEntry(int row, std::string_view expectedPath, std::string_view title,
                                std::string_view time) {
    EntryGuard guard(*this);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    Row& r = rows_[static_cast<size_t>(row)];
    if (r.path != expectedPath) return false;
    r.title.assign(title);
    r.time.assign(time);
    guard.events_.push_back({EntryGuard::Event::Changed, row, 1, {}});
    return true;
}

bool PlaylistModel::UpdateTitle(int row, std::string_view expectedPath, std::string_view title) {
    EntryGuard guard(*this);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    Row& r = rows_[static_cast<size_t>(row)];
    if (r.path != expectedPath) return false;
    r.title.assign(title);
    guard.events_.push_back({EntryGuard::Event::Changed, row, 1, {}});
    return true;
}

int PlaylistModel::UpdateEntries(const std::vector<RowUpdate>& updates) {
    EntryGuard guard(*this);
    int changed = 0, low = -1, high = -1;
    for (const RowUpdate& u : updates) {
        if (u.row < 0 || u.row >= static_cast<int>(rows_.size())) continue;
        Row& r = rows_[static_cast<size_t>(u.row)];
        if (r.path != u.path) continue;
        r.title = u.title;
        if (u.time) r.time = *u.time;
        ++changed;
        low = low < 0 ? u.row : std::min(low, u.row);
        high = std::max(high, u.row);
    }
    if (changed) guard.events_.push_back({EntryGuard::Event::Changed, low, high - low + 1, {}});
    return changed;
}

// --- Reading -------------------------------------------------------------------------

int PlaylistModel::RowCount() const {
    EntryGuard guard(*this);
    return static_cast<int>(rows_.size());
}

int PlaylistModel::LastIndex() const {
    EntryGuard guard(*this);
    return LastIndexLocked(guard);
}

int PlaylistModel::LastIndexLocked(const EntryGuard& guard) const {
    Check(guard);
    return static_cast<int>(rows_.size()) - 1;
}

std::string PlaylistModel::GetEntryField(int index, int column) const {
    EntryGuard guard(*this);
    return GetEntryFieldLocked(guard, index, column);
}

std::string PlaylistModel::GetEntryFieldLocked(const EntryGuard& guard, int index, int column) const {
    Check(guard);
    if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
    const Row& r = rows_[static_cast<size_t>(index)];
    switch (column) {
    case kColumnLabel: return RowLabel(index);
    case kColumnTitle: return r.title;
    case kColumnTime: return r.time;
    case kColumnPath: return r.path;
    default: return {};
    }
}

std::optional<PlaylistEntry> PlaylistModel::Entry(int index) const {
    EntryGuard guard(*this);
    if (index < 0 || index >= static_cast<int>(rows_.size())) return std::nullopt;
    const Row& r = rows_[static_cast<size_t>(index)];
    return PlaylistEntry{RowLabel(index), r.title, r.time, r.path, r.isCurrent};
}

std::vector<PlaylistEntry> PlaylistModel::Entries() const {
    EntryGuard guard(*this);
    std::vector<PlaylistEntry> out;
    out.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        out.push_back({RowLabel(static_cast<int>(i)), rows_[i].title, rows_[i].time, rows_[i].path, rows_[i].isCurrent});
    return out;
}

int PlaylistModel::GetCount() {
    EntryGuard guard(*this);
    countBeforeAdd_ = static_cast<int>(rows_.size());
    return countBeforeAdd_;
}

int PlaylistModel::CountBeforeAdd() const {
    EntryGuard guard(*this);
    return countBeforeAdd_;
}

}  // namespace tavora
