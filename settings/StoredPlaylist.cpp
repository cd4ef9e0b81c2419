#include "StoredPlaylist.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"

namespace tavora {
namespace {

constexpr const char* kListCount = "ListCount";
constexpr size_t kLoadChunk = 512;

std::mutex loadLock;

// A row number as a value name: decimal without leading zeros.
std::optional<int> RowOfValueName(std::string_view name) {
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

// The rows 0 to count - 1 in the order the store sorts their value names (as text:
// "0", "1", "10", "100", ...): a walk through the decimal numbers' digit tree.
std::vector<size_t> RowsInStoreOrder(size_t count) {
    std::vector<size_t> order;
    order.reserve(count);
    size_t row = 0;
    for (size_t i = 0; i < count; ++i) {
        order.push_back(row);
        if (row != 0 && row * 10 < count) {
            row *= 10;  // "1" is followed by "10"
        } else {
            if (row == 0) {
                row = 1;
                continue;
            }
            while (row % 10 == 9 || row + 1 >= count) row /= 10;  // climb out of finished branches
            ++row;
        }
    }
    return order;
}

std::string TakeOrError(std::optional<std::string>& value) {
    return value ? std::move(*value) : std::string(kMissingString);
}

// Whether a few rows spread over the list are stored as they are: when most are not,
// the stored column belongs to another list and reading it all would be wasted.
bool LooksStoredAlready(const char* key, std::span<const StoredPlaylistRow> rows, std::string StoredPlaylistRow::*field) {
    const size_t probes = std::min<size_t>(rows.size(), 32);
    size_t same = 0;
    for (size_t k = 0; k < probes; ++k) {
        const size_t row = k * rows.size() / probes;
        const auto v = store::GetValue(store::Hive::LocalMachine, key, std::to_string(row));
        if (v && v->type == store::ValueType::String && v->text == rows[row].*field) ++same;
    }
    return probes > 0 && same * 2 >= probes;
}

// Stores one column. What the key holds is read first (one pass, nothing copied): rows
// stored as they are cost nothing, so saving a list that hardly changed writes little.
// When most rows differ, the key is emptied and written afresh, which costs less than
// replacing the rows one by one.
void SaveColumn(const char* key, std::span<const StoredPlaylistRow> rows, const std::vector<size_t>& order,
                std::string StoredPlaylistRow::*field) {
    std::vector<char> stored(rows.size(), 0);  // 1: the row is stored as it is
    std::vector<std::string> unwanted;         // values that are no row of this list
    size_t same = 0;
    const bool read = LooksStoredAlready(key, rows, field) && store::ForEachValue(store::Hive::LocalMachine, key, [&](const store::ValueView& v) {
        const auto row = RowOfValueName(v.name);
        if (!row || static_cast<size_t>(*row) >= rows.size()) {
            unwanted.emplace_back(v.name);
        } else if (v.type == store::ValueType::String && v.text == rows[static_cast<size_t>(*row)].*field) {
            stored[static_cast<size_t>(*row)] = 1;
            ++same;
        }
    });
    if (!read || same < rows.size() / 2) {
        DeleteRegKey(key);
        std::fill(stored.begin(), stored.end(), 0);
        unwanted.clear();
    }
    // Rows go in in the store's own order ("0", "1", "10", "100", ...), so each lands
    // beside the one before it instead of somewhere across the table.
    store::KeyWriter writer(store::Hive::LocalMachine, key);
    for (const size_t row : order)
        if (!stored[row] && !writer.SetString(std::to_string(row), rows[row].*field)) return;
    for (const std::string& name : unwanted)
        if (!writer.DeleteValue(name)) return;
    writer.DeleteKeysBelow();
}

}  // namespace

void SaveStoredPlaylist(std::span<const StoredPlaylistRow> rows) {
    const std::vector<size_t> order = RowsInStoreOrder(rows.size());
    RegistryBatch batch;
    WriteRegDword(keys::kPlayListCount, kListCount, static_cast<int>(rows.size()));
    SaveColumn(keys::kPlayListName, rows, order, &StoredPlaylistRow::title);
    SaveColumn(keys::kPlayListPath, rows, order, &StoredPlaylistRow::path);
    SaveColumn(keys::kPlayListTime, rows, order, &StoredPlaylistRow::time);
    batch.Commit();
}

int LoadStoredPlaylist(const std::function<void(std::vector<StoredPlaylistRow>&&)>& take) {
    int loaded = 0;
    std::lock_guard lock(loadLock);
    const int saved = ReadRegDword(keys::kPlayListCount, kListCount);
    // Missing (the missing-value mark) or nonsense counts load nothing.
    const int count = saved > 0 ? saved : 0;
    if (count == 0) return 0;
    // One query per column instead of three per row.
    std::vector<store::Value> columns[3] = {store::ListValues(store::Hive::LocalMachine, keys::kPlayListName),
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
    std::vector<StoredPlaylistRow> chunk;
    for (int i = 0; i < rows; ++i) {
        const auto r = static_cast<size_t>(i);
        chunk.push_back({TakeOrError(names[r]), TakeOrError(times[r]), TakeOrError(paths[r])});
        if (chunk.size() == kLoadChunk || i + 1 == rows) {
            loaded += static_cast<int>(chunk.size());
            take(std::move(chunk));
            chunk.clear();
        }
    }
    return loaded;
}

}  // namespace tavora
