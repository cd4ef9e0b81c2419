#include "RegistryStore.h"

#include <sqlite3.h>

#include <chrono>
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

constexpr int kBusyTimeoutMs = 15000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  hive INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    "  PRIMARY KEY(hive, path)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS vals("
    "  hive INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL,"
    "  num INTEGER, txt TEXT,"
    "  PRIMARY KEY(hive, path, name)) WITHOUT ROWID;"
    "PRAGMA user_version = 1;";

// One open database for one thread, with its prepared statements.
class Connection {
public:
    explicit Connection(const std::string& path) {
        std::error_code ec;
        auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
        if (sqlite3_open_v2(path.c_str(), &db_,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
            return;
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        // Switching to WAL needs a moment of exclusive access; when another process
        // is doing the same at the same time SQLite may answer BUSY without waiting.
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (Exec("PRAGMA journal_mode=WAL;") && Exec("PRAGMA synchronous=NORMAL;") &&
                Exec(kSchema)) {
                ready_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    ~Connection() {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        if (db_) sqlite3_close(db_);
    }

    bool ready() const { return ready_; }

    bool Exec(const char* sql) {
        return db_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // A reset statement for `sql` (a string literal: the pointer is the cache key).
    sqlite3_stmt* Prepare(const char* sql) {
        if (!ready_) return nullptr;
        auto it = statements_.find(sql);
        if (it != statements_.end()) {
            sqlite3_reset(it->second);
            sqlite3_clear_bindings(it->second);
            return it->second;
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
            return nullptr;
        statements_.emplace(sql, stmt);
        return stmt;
    }

    int depth = 0;  // nesting of Transaction scopes on this thread

    // Keys this connection has created or seen created, in lower case, so that the
    // create-on-open of every read does not cost a write. A key deleted by another
    // process stays in here; that only means a later read does not create it again,
    // while a later write still stores its value (which makes the key exist).
    std::set<std::string> knownKeys;
    std::set<std::string> pendingKeys;  // created in the open transaction

private:
    sqlite3* db_ = nullptr;
    bool ready_ = false;
    std::map<const char*, sqlite3_stmt*> statements_;
};

Connection* ThisThreadConnection() {
    thread_local std::map<std::string, std::unique_ptr<Connection>> connections;
    const std::string path = DatabasePath();
    auto& slot = connections[path];
    if (!slot || !slot->ready()) slot = std::make_unique<Connection>(path);
    return slot->ready() ? slot.get() : nullptr;
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Runs a statement that returns no rows; true when it completed.
bool StepDone(sqlite3_stmt* stmt) {
    if (!stmt) return false;
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE;
}

std::string KnownKeyName(Hive hive, const std::string& key) {
    std::string name = std::to_string(static_cast<int>(hive)) + ':' + key;
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return name;
}

bool EnsureKey(Connection* c, Hive hive, const std::string& key) {
    const std::string known = KnownKeyName(hive, key);
    if (c->knownKeys.count(known) || c->pendingKeys.count(known)) return true;
    sqlite3_stmt* stmt = c->Prepare("INSERT OR IGNORE INTO keys(hive, path) VALUES(?1, ?2)");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, key);
    if (!StepDone(stmt)) return false;
    // Inside a transaction the key is only known for sure once it commits.
    (c->depth == 0 ? c->knownKeys : c->pendingKeys).insert(known);
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

bool CreateKey(Hive hive, std::string_view key) {
    Connection* c = ThisThreadConnection();
    return c && EnsureKey(c, hive, NormalizeKey(key));
}

bool KeyExists(Hive hive, std::string_view key) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    const std::string k = NormalizeKey(key);
    if (k.empty()) return true;
    // A key exists when it was created, holds values, or has a key below it.
    sqlite3_stmt* stmt = c->Prepare(
        "SELECT 1 FROM keys WHERE hive=?1 AND (path=?2 OR substr(path,1,length(?2)+1)=?2||'\\')"
        " UNION ALL SELECT 1 FROM vals WHERE hive=?1 AND path=?2 LIMIT 1");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, k);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
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
    if (sqlite3_step(stmt) == SQLITE_ROW) result = ValueFromRow(stmt);
    sqlite3_reset(stmt);
    return result;
}

namespace {
bool SetValue(Hive hive, std::string_view key, std::string_view name, ValueType type, uint32_t number,
              std::string_view text) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    const std::string k = NormalizeKey(key);
    if (!EnsureKey(c, hive, k)) return false;
    // The stored spelling of a name is the first one written, as in the registry.
    sqlite3_stmt* stmt = c->Prepare(
        "INSERT INTO vals(hive, path, name, type, num, txt) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"
        " ON CONFLICT(hive, path, name) DO UPDATE SET type=excluded.type, num=excluded.num,"
        " txt=excluded.txt");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, k);
    BindText(stmt, 3, name);
    sqlite3_bind_int(stmt, 4, static_cast<int>(type));
    if (type == ValueType::Dword) {
        sqlite3_bind_int64(stmt, 5, number);
        sqlite3_bind_null(stmt, 6);
    } else {
        sqlite3_bind_null(stmt, 5);
        BindText(stmt, 6, text);
    }
    return StepDone(stmt);
}
}  // namespace

bool SetDword(Hive hive, std::string_view key, std::string_view name, uint32_t number) {
    return SetValue(hive, key, name, ValueType::Dword, number, {});
}

bool SetString(Hive hive, std::string_view key, std::string_view name, std::string_view text) {
    return SetValue(hive, key, name, ValueType::String, 0, text);
}

bool DeleteValue(Hive hive, std::string_view key, std::string_view name) {
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    sqlite3_stmt* stmt = c->Prepare("DELETE FROM vals WHERE hive=?1 AND path=?2 AND name=?3");
    if (!stmt) return false;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, NormalizeKey(key));
    BindText(stmt, 3, name);
    return StepDone(stmt);
}

bool DeleteKey(Hive hive, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) return false;  // never wipe a whole hive
    Connection* c = ThisThreadConnection();
    if (!c) return false;
    c->knownKeys.clear();
    Transaction tx;
    for (const char* sql :
         {"DELETE FROM vals WHERE hive=?1 AND (path=?2 OR substr(path,1,length(?2)+1)=?2||'\\')",
          "DELETE FROM keys WHERE hive=?1 AND (path=?2 OR substr(path,1,length(?2)+1)=?2||'\\')"}) {
        sqlite3_stmt* stmt = c->Prepare(sql);
        if (!stmt) return false;
        sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
        BindText(stmt, 2, k);
        if (!StepDone(stmt)) return false;
    }
    return tx.Commit();
}

std::optional<uint32_t> IncrementDword(Hive hive, std::string_view key, std::string_view name,
                                       uint32_t missing, uint32_t delta) {
    Transaction tx;  // BEGIN IMMEDIATE: the write lock is taken before the read
    auto current = GetValue(hive, key, name);
    const uint32_t base =
        current && current->type == ValueType::Dword ? current->dword : missing;
    const uint32_t next = base + delta;
    if (!SetDword(hive, key, name, next) || !tx.Commit()) return std::nullopt;
    return next;
}

std::vector<Value> ListValues(Hive hive, std::string_view key) {
    std::vector<Value> values;
    Connection* c = ThisThreadConnection();
    if (!c) return values;
    sqlite3_stmt* stmt =
        c->Prepare("SELECT name, type, num, txt FROM vals WHERE hive=?1 AND path=?2 ORDER BY name");
    if (!stmt) return values;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    BindText(stmt, 2, NormalizeKey(key));
    while (sqlite3_step(stmt) == SQLITE_ROW) values.push_back(ValueFromRow(stmt));
    sqlite3_reset(stmt);
    return values;
}

std::vector<std::string> ListAllKeys(Hive hive) {
    std::vector<std::string> keys;
    Connection* c = ThisThreadConnection();
    if (!c) return keys;
    sqlite3_stmt* stmt = c->Prepare(
        "SELECT path FROM keys WHERE hive=?1 UNION SELECT path FROM vals WHERE hive=?1 ORDER BY 1");
    if (!stmt) return keys;
    sqlite3_bind_int(stmt, 1, static_cast<int>(hive));
    while (sqlite3_step(stmt) == SQLITE_ROW) {
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

Transaction::Transaction() {
    Connection* c = ThisThreadConnection();
    if (!c) return;
    if (c->depth == 0) {
        // BEGIN IMMEDIATE waits on the busy timeout; retry a few times beyond it.
        bool begun = false;
        for (int attempt = 0; attempt < 4 && !begun; ++attempt) begun = c->Exec("BEGIN IMMEDIATE");
        if (!begun) return;
        outermost_ = true;
    }
    ++c->depth;
}

Transaction::~Transaction() {
    if (done_) return;
    Connection* c = ThisThreadConnection();
    if (!c || c->depth == 0) return;
    --c->depth;
    if (outermost_) {
        c->Exec("ROLLBACK");
        c->pendingKeys.clear();
    }
}

bool Transaction::Commit() {
    if (done_) return true;
    Connection* c = ThisThreadConnection();
    if (!c || c->depth == 0) return false;
    done_ = true;
    --c->depth;
    if (!outermost_) return true;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (c->Exec("COMMIT")) {
            c->knownKeys.merge(c->pendingKeys);
            c->pendingKeys.clear();
            return true;
        }
    }
    c->Exec("ROLLBACK");
    c->pendingKeys.clear();
    return false;
}

}  // namespace tavora::store
