#include "RowRefresh.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "ParallelReads.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {

namespace {

// Rows written back at once at most: the list control repaints once per batch.
constexpr size_t kBatchRows = 256;

std::vector<std::string> PathsFrom(const PlaylistModel& model, int first) {
    EntryGuard guard = model.LockEntries();
    std::vector<std::string> paths;
    for (int row = first; row <= model.LastIndexLocked(guard); ++row)
        paths.push_back(model.GetEntryFieldLocked(guard, row, kColumnPath));
    return paths;
}

}  // namespace

int RefreshRows(PlaylistModel& model, int firstRow,
                const std::function<std::optional<RowText>(const std::string& path)>& read,
                const std::atomic<bool>* stop, int readers) {
    int changed = 0;
    // What each song gave, for songs the list names more than once.
    std::unordered_map<std::string, std::optional<RowText>> known;
    std::vector<RowUpdate> pending;
    auto flush = [&] {
        if (!pending.empty()) changed += model.UpdateEntries(pending);
        pending.clear();
    };
    int row = std::max(firstRow, 0);
    // Rows appended while the pass runs are taken by the next round.
    for (;;) {
        const std::vector<std::string> paths = PathsFrom(model, row);
        if (paths.empty()) break;
        std::vector<std::string> unread;
        std::vector<size_t> readOf(paths.size(), SIZE_MAX);
        {
            std::unordered_map<std::string, size_t> seen;
            for (size_t i = 0; i < paths.size(); ++i) {
                if (paths[i].empty() || known.count(paths[i])) continue;
                auto [it, added] = seen.try_emplace(paths[i], unread.size());
                if (added) unread.push_back(paths[i]);
                readOf[i] = it->second;
            }
        }
        ParallelReads<RowText> reads(std::move(unread), read, readers, stop);
        for (size_t i = 0; i < paths.size(); ++i) {
            if (stop && stop->load()) break;
            const std::string& path = paths[i];
            if (path.empty()) continue;
            if (readOf[i] != SIZE_MAX) {
                if (!pending.empty() && (pending.size() >= kBatchRows || !reads.Ready(readOf[i]))) flush();
                const std::optional<RowText>* text = reads.Wait(readOf[i]);
                if (!text) break;  // not read: the pass was stopped
                known.try_emplace(path, *text);
            }
            const std::optional<RowText>& text = known[path];
            if (text) pending.push_back({row + static_cast<int>(i), path, text->title, text->time});
        }
        flush();
        if (stop && stop->load()) break;
        row += static_cast<int>(paths.size());
    }
    return changed;
}

}  // namespace tavora
