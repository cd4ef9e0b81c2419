#include "M3uLoader.h"

#include <filesystem>
#include <unordered_map>
#include <vector>

#include "ParallelReads.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlaylistText.h"
#include "TrackLength.h"

namespace tavora {

namespace {

// Rows handed to the list at once at most: the list control redraws once per batch, and
// a long list still shows its first rows early.
constexpr size_t kBatchRows = 512;

NewEntry RowFor(const std::string& path, const M3uEntryInfo& info) {
    // A saved radio row comes back as one: "URL" makes the end of the previous track
    // open it as an internet stream.
    if (HasUrlScheme(path)) return {AddressTitle(path), std::string(kTimeUrl), path};
    return {info.title, FormatTrackTime(static_cast<double>(info.lengthSeconds)), path};
}

}  // namespace

M3uLoader::M3uLoader(PlaylistModel& model, M3uLoadServices services, std::mutex& m3uLoadLock)
    : model_(model), services_(std::move(services)), m3uLoadLock_(m3uLoadLock) {}

M3uLoadResult M3uLoader::LoadM3u(M3uLoadMode mode, const std::string& listPath, std::atomic<bool>* playFirstAdded) {
    const bool replace = mode == M3uLoadMode::Dialog;
    if (mode != M3uLoadMode::Dropped) playFirstAdded = nullptr;
    std::lock_guard lock(m3uLoadLock_);
    M3uLoadResult result;
    PlaylistLineReader reader;
    if (!reader.Open(listPath)) return result;
    result.opened = true;
    // Only now: a list that cannot be read leaves the old one in place.
    if (replace) model_.DeleteAllEntries();
    if (!services_.readEntry) return result;

    // The entries in file order, and each distinct path once for reading.
    std::vector<std::string> entries;
    const std::string folder = std::filesystem::path(listPath).parent_path().string();
    ForEachM3uEntry(reader, folder, [&](const std::string& path) { entries.push_back(path); });
    std::vector<std::string> distinct;
    std::vector<size_t> readOf(entries.size());
    {
        std::unordered_map<std::string, size_t> seen;
        for (size_t i = 0; i < entries.size(); ++i) {
            auto [it, added] = seen.try_emplace(entries[i], distinct.size());
            if (added) distinct.push_back(entries[i]);
            readOf[i] = it->second;
        }
    }
    ParallelReads<M3uEntryInfo> reads(std::move(distinct), services_.readEntry, services_.readers, services_.stop);

    std::vector<NewEntry> pending;
    auto flush = [&] {
        if (pending.empty()) return;
        const int first = model_.AddEntries(std::move(pending));
        pending.clear();
        if (result.firstRow < 0) result.firstRow = first;
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t read = readOf[i];
        // Rows already known go to the list before waiting for a slow entry.
        if (pending.size() >= kBatchRows || (!pending.empty() && !reads.Ready(read))) flush();
        const std::optional<M3uEntryInfo>* info = reads.Wait(read);
        if (!info) break;  // not read: the player is closing
        if (*info) {
            pending.push_back(RowFor(entries[i], **info));
            ++result.rowsAdded;
            if (result.rowsAdded == 1 && playFirstAdded && services_.playFirstRow && playFirstAdded->exchange(false)) {
                flush();
                const int row = result.firstRow;
                {
                    EntryGuard guard(model_);
                    model_.SetSelectedIndexLocked(guard, row);
                    model_.SetCurrentIndexLocked(guard, row);
                }
                services_.playFirstRow(row);
            }
        }
        // Stops between entries: the rows kept are the file's first entries.
        if (services_.stop && services_.stop->load()) break;
    }
    flush();
    return result;
}

}  // namespace tavora
