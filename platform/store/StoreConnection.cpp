#include "StoreConnection.h"

#include <atomic>
#include <filesystem>
#include <thread>

namespace tavora::store::detail {
namespace {

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

// A URI naming `path` for sqlite3_open_v2 with SQLITE_OPEN_URI.
std::string FileUri(const std::string& path, const char* query) {
    std::string uri = "file:";
    for (unsigned char ch : path) {
        if (ch == '%' || ch == '?' || ch == '#') {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[ch >> 4];
            uri += hex[ch & 15];
        } else {
            uri += static_cast<char>(ch);
        }
    }
    return uri + "?" + query;
}

}  // namespace

Connection::Connection(StoreState& state) : state_(state) {
    static std::atomic<uint64_t> serials{0};
    serial_ = ++serials;
    generation_ = state_.generation();
    state_.ConnectionOpened();

    std::error_code ec;
    const auto parent = std::filesystem::path(state_.path()).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (!Open(false)) return;

    int rc = Probe();
    if (rc != SQLITE_OK && rc != SQLITE_BUSY && !state_.corrupt() && readOnly_) {
        // A read-only folder: the WAL index cannot be made, so read the file as it is.
        Close();
        if (!Open(true)) return;
        rc = Probe();
    }
    if (rc != SQLITE_OK) {
        // A lock is waited out by the next access; damage is replaced by the caller.
        if (rc != SQLITE_BUSY && !state_.corrupt()) {
            state_.WarnOnce(Warning::Unavailable, "cannot read the settings store " + state_.path() + ": " +
                                                      sqlite3_errstr(rc) + "; settings keep their defaults.");
            state_.NoteOpenFailure();
        }
        return;
    }
    if (readOnly_) {
        state_.WarnOnce(Warning::ReadOnly, "the settings store " + state_.path() +
                                               " cannot be written; settings are read but changes are not saved.");
    } else if (!PrepareSchema()) {
        return;
    }
    ready_ = true;
}

Connection::~Connection() {
    Close();
    state_.ConnectionClosed();
}

bool Connection::Open(bool immutable) {
    const std::string name = immutable ? FileUri(state_.path(), "immutable=1") : state_.path();
    const int flags = immutable ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
                                : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        state_.WarnOnce(Warning::Unavailable, "cannot open the settings store " + state_.path() + ": " +
                                                  (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)) +
                                                  "; settings keep their defaults.");
        state_.NoteOpenFailure();
        Close();
        return false;
    }
    sqlite3_busy_handler(db_, &Connection::OnBusy, this);
    readOnly_ = sqlite3_db_readonly(db_, "main") == 1;
    return true;
}

void Connection::Close() {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    statements_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

int Connection::Probe() {
    if (state_.NeedsCheck()) return CheckIntact();
    return Note(sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr));
}

int Connection::CheckIntact() {
    sqlite3_stmt* stmt = nullptr;
    int rc = Note(sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &stmt, nullptr));
    std::string verdict;
    if (rc == SQLITE_OK) {
        rc = Note(sqlite3_step(stmt));
        if (rc == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            verdict = text ? text : "";
        }
    }
    sqlite3_finalize(stmt);
    if (rc == SQLITE_ROW && verdict == "ok") {
        state_.CheckDone();
        return SQLITE_OK;
    }
    if (rc == SQLITE_ROW) {
        state_.MarkCorrupt(verdict);
        return SQLITE_CORRUPT;
    }
    // Damage found by the statement itself was noted already; a lock or a file that
    // cannot be read leaves the check for the next connection.
    return rc == SQLITE_OK || rc == SQLITE_DONE ? SQLITE_ERROR : rc;
}

bool Connection::PrepareSchema() {
    // Switching to WAL needs a moment of exclusive access; a lock held elsewhere makes
    // this connection unusable for now (the next access opens a new one).
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL")) return false;
    sqlite3_stmt* stmt = nullptr;
    int tables = 0;
    if (Note(sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('keys','vals')",
                                -1, &stmt, nullptr)) == SQLITE_OK &&
        Note(sqlite3_step(stmt)) == SQLITE_ROW)
        tables = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return tables == 2 || Exec(kSchema);
}

bool Connection::Exec(const char* sql) {
    return db_ && Note(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)) == SQLITE_OK;
}

sqlite3_stmt* Connection::Prepare(const char* sql) {
    if (!ready_) return nullptr;
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    if (Note(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr)) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

int Connection::Step(sqlite3_stmt* stmt) { return Note(sqlite3_step(stmt)); }

int Connection::Note(int rc) {
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        state_.MarkCorrupt(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        return rc & 0xff;
    case SQLITE_READONLY:
        state_.WarnOnce(Warning::ReadOnly, "the settings store " + state_.path() +
                                               " cannot be written; changes are not saved.");
        break;
    case SQLITE_CANTOPEN:
        // A read-only file whose log index cannot be made is read another way (see the
        // constructor) and has its own warning.
        if (readOnly_) break;
        [[fallthrough]];
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_PERM:
        state_.WarnOnce(Warning::WriteFailed, "could not use the settings store " + state_.path() + ": " +
                                                  (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)) +
                                                  "; changes are not saved.");
        break;
    default:
        break;
    }
    return rc & 0xff;
}

int Connection::OnBusy(void* self, int attempt) {
    auto* c = static_cast<Connection*>(self);
    const auto now = Clock::now();
    if (attempt == 0) c->busySince_ = now;
    if (c->state_.MayWait(c->busySince_)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 4 ? 1 << attempt : 20));
        return 1;
    }
    if (now - c->busySince_ >= kBusyLimit) c->state_.NoteLockTimeout();
    return 0;
}

}  // namespace tavora::store::detail
