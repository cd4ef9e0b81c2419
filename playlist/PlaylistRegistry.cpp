#include "PlaylistRegistry.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PlaylistModel.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"

namespace tavora {
namespace {

constexpr const char* kListCount = "ListCount";
constexpr size_t kLoadChunk = 512;

std::mutex registryLoadLock;

// A row number as a value name: decimal without leading zeros.
std::optional<int> RowOfValueName(const std::string& name) {
    if (name.empty() || (name.size() > 1 && name[0] == '0')) return std::nullopt;
    int row = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), row);
    if (ec != std::errc() || end != name.data() + name.size() || row < 0) return std::nullopt;
    return row;
}

// A column's text by row. Read into a 1024-byte buffer, a text that does not fit with
// its terminating zero cannot be read; neither can a value that is not text.
std::vector<std::optional<std::string>> ColumnByRow(std::vector<store::Value>& values, int rows) {
    std::vector<std::optional<std::string>> column(static_cast<size_t>(rows));
    for (store::Value& v : values) {
        const auto row = RowOfValueName(v.name);
        if (!row || *row >= rows) continue;
        if (v.type == store::ValueType::String && v.text.size() + 1 <= kRegStringBuffer)
            column[static_cast<size_t>(*row)] = std::move(v.text);
    }
    return column;
}

std::string TakeOrError(std::optional<std::string>& value) {
    return value ? std::move(*value) : std::string(kMissingString);
}

}  // namespace

void SavePlaylistToRegistry(const PlaylistModel& model) {
    const std::vector<PlaylistEntry> rows = model.Entries();
    RegistryBatch batch;
    DeleteRegKey(keys::kPlayListName);
    DeleteRegKey(keys::kPlayListTime);
    DeleteRegKey(keys::kPlayListPath);
    WriteRegDword(keys::kPlayListCount, kListCount, static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string name = std::to_string(i);
        WriteRegString(keys::kPlayListName, name, rows[i].title);
        WriteRegString(keys::kPlayListTime, name, rows[i].time);
        WriteRegString(keys::kPlayListPath, name, rows[i].path);
    }
    batch.Commit();
}

RegistryLoadResult LoadPlaylistFromRegistry(PlaylistModel& model, bool beginPlay) {
    RegistryLoadResult result;
    {
        std::lock_guard lock(registryLoadLock);
        const int saved = ReadRegDword(keys::kPlayListCount, kListCount);
        // Missing (the missing-value mark) or nonsense counts load nothing.
        const int count = saved > 0 ? saved : 0;
        if (count > 0) {
            // One query per column instead of three per row.
            std::vector<store::Value> columns[3] = {
                store::ListValues(store::Hive::LocalMachine, keys::kPlayListName),
                store::ListValues(store::Hive::LocalMachine, keys::kPlayListTime),
                store::ListValues(store::Hive::LocalMachine, keys::kPlayListPath)};
            // Bound by the rows present: a damaged count must not make the loader build
            // millions of "ERROR" rows.
            int highestRow = -1;
            for (const auto& column : columns)
                for (const store::Value& v : column)
                    if (auto row = RowOfValueName(v.name); row && *row < count) highestRow = std::max(highestRow, *row);
            const int rows = highestRow + 1;
            auto names = ColumnByRow(columns[0], rows);
            auto times = ColumnByRow(columns[1], rows);
            auto paths = ColumnByRow(columns[2], rows);
            std::vector<NewEntry> chunk;
            for (int i = 0; i < rows; ++i) {
                const auto r = static_cast<size_t>(i);
                chunk.push_back({TakeOrError(names[r]), TakeOrError(times[r]), TakeOrError(paths[r])});
                if (chunk.size() == kLoadChunk || i + 1 == rows) {
                    result.rowsLoaded += static_cast<int>(chunk.size());
                    model.AddEntries(std::move(chunk));
                    chunk.clear();
                }
            }
        }
    }
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
