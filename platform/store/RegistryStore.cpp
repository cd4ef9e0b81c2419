#include "RegistryStore.h"

#include <sqlite3.h>

#include "StoreConnection.h"
#include "StoreState.h"

#include <chrono>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <cctype>
#include <map>
#include <set>
#include <memory>
#include <thread>
#include <algorithm>
#include <strings.h>

namespace tavora::store {
namespace {

using detail::Connection;
using detail::StateFor;
using detail::StoreState;

// The transaction of this thread. While it is open every write goes into it; once it
// has failed (it could not begin, a statement failed, or its connection was replaced)
// nothing more is written until the outermost scope ends, so a batch is stored whole
// or not at all and never falls back to writing value by value.
struct ThreadTransaction {
    int depth = 0;
    bool failed = false;
    uint64_t serial = 0;  // the connection it runs on
};
thread_local ThreadTransaction tlTx;

Connection* ThisThreadConnection() {
    thread_local std::map<std::string, std::unique_ptr<Connection>> connections;
    const std::string path = DatabasePath();
    StoreState& state = StateFor(path);
    auto& slot = connections[path];
    if (slot && slot->ready() && slot->generation() == state.generation()) return slot.get();
    // A transaction open on the connection being closed ends with it.
    if (slot && tlTx.depth > 0 && slot->serial() == tlTx.serial) tlTx.failed = true;
    slot.reset();
    // When opening finds the file damaged it is replaced, and the fresh one opened.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!state.MayOpen()) return nullptr;
        if (state.corrupt() && !state.ReplaceCorrupt(0)) return nullptr;
        slot = std::make_unique<Connection>(state);
        if (slot->ready()) return slot.get();
        // Moved aside while this connection still holds the file: closing it then cannot
        // delete anything of the fresh store (SQLite removes -wal and -shm by name).
        const bool corrupt = state.corrupt();
        if (corrupt) state.ReplaceCorrupt(1);
        slot.reset();
        if (!corrupt) return nullptr;
    }
    return nullptr;
}

// The connection to write with, or nullptr when a write now would break the open batch.
Connection* WriteConnection() {
    Connection* c = ThisThreadConnection();
    if (tlTx.depth == 0) return c;
    if (tlTx.failed || !c || c->serial() != tlTx.serial) {
        tlTx.failed = true;
        return nullptr;
    }
    return c;
}

// Runs a write statement; a failure inside a transaction fails the whole transaction.
bool WriteDone(Connection* c, sqlite3_stmt* stmt) {
    if (!stmt) {
        if (tlTx.depth > 0) tlTx.failed = true;
        return false;
    }
    const int rc = c->Step(stmt);
    sqlite3_reset(stmt);
    const bool done = rc == SQLITE_DONE;
    if (!done && tlTx.depth > 0) tlTx.failed = true;
    if (done && tlTx.depth == 0) c->state().NoteWriteSucceeded();
    return done;
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string KnownKeyName(Hive hive, const std::string& key) {
    std::string name = std::to_string(static_cast<int>(hive)) + ':' + key;
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return name;
}

bool EnsureKey(Hive hive, const std::string& key) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    const std::string known = KnownKeyName(hive, key);
    if (c->knownKeys.count(known) || c->pendingKeys.count(known)) return true;
    // A key that is there costs no write (and so never waits for another writer).
    sqlite3_stmt* stmt = c->Prepare("SELECT 1 FROM keys WHERE hive=?1 AND path=?2");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, key);
    const bool present = c->Step(stmt) == SQLITE_ROW;
    sqlite3_reset(stmt);
    if (!present) {
        c = WriteConnection();
        if (!c) return false;
        stmt = c->Prepare("INSERT OR IGNORE INTO keys(hive, path) VALUES(?1, ?2)");
        if (stmt) {
            sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
            BindText(stmt, 2, key);
        }
        if (!WriteDone(c, stmt)) return false;
    }
    // Inside a transaction the key is only known for sure once it commits.
    (tlTx.depth == 0 ? c->knownKeys : c->pendingKeys).insert(known);
    return true;
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : std::string();
}

// A row of "SELECT name, type, num, txt".
Value ValueFromRow(sqlite3_stmt* stmt) {
    Value v;
    v.name = ColumnText(stmt, 0);
    v.type = sqlite3_column_int(stmt, 1) == static_cast<int>(ValueType::Dword) ? ValueType::Dword
                                                                                : ValueType::String;
    v.dword = static_cast<uint32_t>(sqlite3_column_int64(stmt, 2));
    v.text = ColumnText(stmt, 3);
    return v;
}

}  // namespace

std::string DatabasePath() {
    if (const char* explicitPath = std::getenv("TAVORA_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::string(home) + "/.config";
    } else {
        config = "/tmp";
    }
    return config + "/TavoraPlayer/registry.db";
}

std::string NormalizeKey(std::string_view key) {
    std::string out;
    out.reserve(key.size());
    for (char ch : key) {
        if (ch == '/') ch = '\\';
        if (ch == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(ch);
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool CreateKey(Hive hive, std::string_view key) { return EnsureKey(hive, NormalizeKey(key)); }

bool KeyExists(Hive hive, std::string_view key) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    const std::string k = NormalizeKey(key);
    if (k.empty()) return true;
    // A key exists when it was created, holds values, or has a key below it.
    sqlite3_stmt* stmt = c->Prepare(
        "SELECT 1 FROM keys WHERE hive=?1 AND path>=?2 AND path<?2||']' AND (path=?2 OR path>=?2||'\\')"
        " UNION ALL SELECT 1 FROM vals WHERE hive=?1 AND path=?2 LIMIT 1");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, k);
    const bool found = c->Step(stmt) == SQLITE_ROW;
    sqlite3_reset(stmt);
    return found;
}

std::optional<Value> GetValue(Hive hive, std::string_view key, std::string_view name) {
    Connection* c = ThisThreadConnection();
    if (!c) return std::nullopt;
    sqlite3_stmt* stmt =
        c->Prepare("SELECT name, type, num, txt FROM vals WHERE hive=?1 AND path=?2 AND name=?3");
    if (!stmt) return std::nullopt;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, NormalizeKey(key));
    BindText(stmt, 3, name);
    std::optional<Value> result;
    if (c->Step(stmt) == SQLITE_ROW) result = ValueFromRow(stmt);
    sqlite3_reset(stmt);
    return result;
}

namespace {
// Stores one value of the existing key `k` with `c`, which the caller checked may write.
bool WriteValue(Connection* c, Hive hive, const std::string& k, std::string_view name, ValueType type,
                uint32_t number, std::string_view text) {
    // The stored spelling of a name is the first one written, as in the registry.
    sqlite3_stmt* stmt = c->Prepare(
        "INSERT INTO vals(hive, path, name, type, num, txt) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"
        " ON CONFLICT(hive, path, name) DO UPDATE SET type=excluded.type, num=excluded.num,"
        " txt=excluded.txt"
        // A value stored as it is costs no page write: saving a long list that hardly
        // changed writes only what changed.
        " WHERE type IS NOT excluded.type OR num IS NOT excluded.num OR txt IS NOT excluded.txt");
    if (stmt) {
        // The texts outlive the statement's one step, so SQLite need not copy them.
        const auto bindStatic = [stmt](int index, std::string_view text) {
            sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        };
        sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
        bindStatic(2, k);
        bindStatic(3, name);
        sqlite3_bind_int(stmt, 4, static_cast<int>(type));
        if (type == ValueType::Dword) {
            sqlite3_bind_int64(stmt, 5, number);
            sqlite3_bind_null(stmt, 6);
        } else {
            sqlite3_bind_null(stmt, 5);
            bindStatic(6, text);
        }
    }
    return WriteDone(c, stmt);
}

bool SetValue(Hive hive, std::string_view key, std::string_view name, ValueType type, uint32_t number,
              std::string_view text) {
    const std::string k = NormalizeKey(key);
    if (!EnsureKey(hive, k)) return false;
    Connection* c = WriteConnection();
    return c && WriteValue(c, hive, k, name, type, number, text);
}
}  // namespace

bool SetDword(Hive hive, std::string_view key, std::string_view name, uint32_t number) {
    return SetValue(hive, key, name, ValueType::Dword, number, {});
}

bool SetString(Hive hive, std::string_view key, std::string_view name, std::string_view text) {
    return SetValue(hive, key, name, ValueType::String, 0, text);
}

bool DeleteValue(Hive hive, std::string_view key, std::string_view name) {
    Connection* c = WriteConnection();
    if (!c) return false;
    sqlite3_stmt* stmt = c->Prepare("DELETE FROM vals WHERE hive=?1 AND path=?2 AND name=?3");
    if (stmt) {
        sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
        BindText(stmt, 2, NormalizeKey(key));
        BindText(stmt, 3, name);
    }
    return WriteDone(c, stmt);
}

bool DeleteKey(Hive hive, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) return false;  // never wipe a whole hive
    Transaction tx;
    Connection* c = WriteConnection();
    if (!c) return false;
    c->knownKeys.clear();
    // The key and the keys below it ("key\..."), compared case-insensitively like every
    // key path: the ones from the key up to "key]" ("]" follows "\"), less those
    // between the key and "key\". As a range of the primary key this is a seek, not a
    // pass over the whole table.
    for (const char* sql : {"DELETE FROM vals WHERE hive=?1 AND path>=?2 AND path<?2||']'"
                            " AND (path=?2 OR path>=?2||'\\')",
                            "DELETE FROM keys WHERE hive=?1 AND path>=?2 AND path<?2||']'"
                            " AND (path=?2 OR path>=?2||'\\')"}) {
        sqlite3_stmt* stmt = c->Prepare(sql);
        if (stmt) {
            sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
            BindText(stmt, 2, k);
        }
        if (!WriteDone(c, stmt)) return false;
    }
    return tx.Commit();
}

std::optional<uint32_t> IncrementDword(Hive hive, std::string_view key, std::string_view name,
                                       uint32_t missing, uint32_t delta) {
    Transaction tx;  // BEGIN IMMEDIATE: the write lock is taken before the read
    if (!tx.ok()) return std::nullopt;
    auto current = GetValue(hive, key, name);
    const uint32_t base =
        current && current->type == ValueType::Dword ? current->dword : missing;
    const uint32_t next = base + delta;
    if (!SetDword(hive, key, name, next) || !tx.Commit()) return std::nullopt;
    return next;
}

std::vector<Value> ListValues(Hive hive, std::string_view key) {
    std::vector<Value> values;
    ForEachValue(hive, key, [&values](const ValueView& v) {
        values.push_back({std::string(v.name), v.type, v.dword, std::string(v.text)});
    });
    return values;
}

bool ForEachValue(Hive hive, std::string_view key, const std::function<void(const ValueView&)>& visit) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    sqlite3_stmt* stmt =
        c->Prepare("SELECT name, type, num, txt FROM vals WHERE hive=?1 AND path=?2 ORDER BY name");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, NormalizeKey(key));
    const auto text = [stmt](int column) {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return chars ? std::string_view(chars, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                     : std::string_view();
    };
    int rc;
    while ((rc = c->Step(stmt)) == SQLITE_ROW) {
        ValueView v;
        v.name = text(0);
        v.type = sqlite3_column_int(stmt, 1) == static_cast<int>(ValueType::Dword) ? ValueType::Dword
                                                                                    : ValueType::String;
        v.dword = static_cast<uint32_t>(sqlite3_column_int64(stmt, 2));
        v.text = text(3);
        visit(v);
    }
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE;
}

std::vector<std::string> ListAllKeys(Hive hive) {
    std::vector<std::string> keys;
    Connection* c = ThisThreadConnection();
    if (!c) return keys;
    sqlite3_stmt* stmt = c->Prepare(
        "SELECT path FROM keys WHERE hive=?1 UNION SELECT path FROM vals WHERE hive=?1 ORDER BY 1");
    if (!stmt) return keys;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    while (c->Step(stmt) == SQLITE_ROW) {
        std::string path = ColumnText(stmt, 0);
        // Ancestors are keys too, even when only a descendant was stored.
        for (size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1))
            keys.push_back(path.substr(0, pos));
        keys.push_back(std::move(path));
    }
    sqlite3_reset(stmt);
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    keys.erase(std::unique(keys.begin(), keys.end(),
                           [](const std::string& a, const std::string& b) {
                               return strcasecmp(a.c_str(), b.c_str()) == 0;
                           }),
               keys.end());
    return keys;
}

std::vector<std::string> ListSubkeys(Hive hive, std::string_view key) {
    const std::string k = NormalizeKey(key);
    std::vector<std::string> children;
    for (const std::string& path : ListAllKeys(hive)) {
        if (path.size() <= k.size() + (k.empty() ? 0 : 1)) continue;
        if (!k.empty() && (strncasecmp(path.c_str(), k.c_str(), k.size()) != 0 || path[k.size()] != '\\'))
            continue;
        const std::string rest = path.substr(k.empty() ? 0 : k.size() + 1);
        if (rest.find('\\') == std::string::npos) children.push_back(rest);
    }
    return children;
}

StoreCheck CheckStore() {
    Connection* c = ThisThreadConnection();
    StoreState& state = StateFor(DatabasePath());
    if (state.corrupt()) return {StoreCondition::Corrupt, state.corruptDetail()};
    if (!c) return {StoreCondition::Unavailable, "it cannot be opened or is locked by another program"};
    if (c->readOnly()) return {StoreCondition::ReadOnly, "it cannot be written"};
    return {StoreCondition::Healthy, ""};
}

Transaction::Transaction() {
    if (tlTx.depth++ > 0) return;  // joins the open transaction
    outermost_ = true;
    tlTx.failed = false;
    tlTx.serial = 0;
    // BEGIN IMMEDIATE takes the write lock now, waiting for it within the store's limit.
    Connection* c = ThisThreadConnection();
    if (!c || c->readOnly() || !c->Exec("BEGIN IMMEDIATE")) {
        tlTx.failed = true;
        return;
    }
    tlTx.serial = c->serial();
}

Transaction::~Transaction() {
    if (!done_) End(false);
}

bool Transaction::ok() const { return !done_ && tlTx.depth > 0 && !tlTx.failed; }

bool Transaction::Commit() {
    if (done_) return committed_;
    return End(true);
}

bool Transaction::End(bool commit) {
    done_ = true;
    if (tlTx.depth > 0) --tlTx.depth;
    if (!outermost_) return committed_ = !tlTx.failed;
    if (tlTx.serial != 0) {
        Connection* c = ThisThreadConnection();
        if (c && c->serial() == tlTx.serial) {
            if (commit && !tlTx.failed && c->Exec("COMMIT")) {
                committed_ = true;
                c->knownKeys.merge(c->pendingKeys);
                c->state().NoteWriteSucceeded();
            } else {
                c->Exec("ROLLBACK");
            }
            c->pendingKeys.clear();
        }
    }
    tlTx = {};
    return committed_;
}

KeyWriter::KeyWriter(Hive hive, std::string_view key) : hive_(hive), key_(NormalizeKey(key)) {
    if (tx_.ok() && EnsureKey(hive_, key_)) connection_ = WriteConnection();
}

bool KeyWriter::Set(std::string_view name, ValueType type, uint32_t number, std::string_view text) {
    if (!Usable()) return false;
    return WriteValue(connection_, hive_, key_, name, type, number, text);
}

bool KeyWriter::SetString(std::string_view name, std::string_view text) {
    return Set(name, ValueType::String, 0, text);
}

bool KeyWriter::SetDword(std::string_view name, uint32_t number) { return Set(name, ValueType::Dword, number, {}); }

bool KeyWriter::Usable() {
    if (!ok()) return false;
    // The connection is the transaction's as long as the store file was not replaced.
    if (connection_->serial() != tlTx.serial || connection_->generation() != connection_->state().generation()) {
        tlTx.failed = true;
        return false;
    }
    return true;
}

bool KeyWriter::DeleteValue(std::string_view name) {
    if (!Usable()) return false;
    sqlite3_stmt* stmt = connection_->Prepare("DELETE FROM vals WHERE hive=?1 AND path=?2 AND name=?3");
    if (stmt) {
        sqlite3_bind_int(stmt, 1, static_cast<int>(hive_));
        BindText(stmt, 2, key_);
        BindText(stmt, 3, name);
    }
    return WriteDone(connection_, stmt);
}

bool KeyWriter::DeleteKeysBelow() {
    if (!Usable()) return false;
    Connection* c = connection_;
    // The keys from "key\" up to "key]" ("]" follows "\"): a seek that usually finds nothing.
    sqlite3_stmt* below = c->Prepare(
        "SELECT 1 FROM keys WHERE hive=?1 AND path>=?2||'\\' AND path<?2||']'"
        " UNION ALL SELECT 1 FROM vals WHERE hive=?1 AND path>=?2||'\\' AND path<?2||']' LIMIT 1");
    if (!below) return WriteDone(c, nullptr);
    sqlite3_bind_int(below, 1, static_cast<int>(hive_));
    BindText(below, 2, key_);
    const int found = c->Step(below);
    sqlite3_reset(below);
    if (found == SQLITE_DONE) return true;
    if (found != SQLITE_ROW) return WriteDone(c, nullptr);
    c->knownKeys.clear();
    for (const char* sql : {"DELETE FROM vals WHERE hive=?1 AND path>=?2||'\\' AND path<?2||']'",
                            "DELETE FROM keys WHERE hive=?1 AND path>=?2||'\\' AND path<?2||']'"}) {
        sqlite3_stmt* stmt = c->Prepare(sql);
        if (stmt) {
            sqlite3_bind_int(stmt, 1, static_cast<int>(hive_));
            BindText(stmt, 2, key_);
        }
        if (!WriteDone(c, stmt)) return false;
    }
    return true;
}

}  // namespace tavora::store
