#pragma once
// One thread's open connection to the store file, with its prepared statements.
//
// Opening checks the file for damage once per process (PRAGMA quick_check), falls back
// to reading only when the file or its folder cannot be written, and waits for a lock
// held by another program only within the limits of StoreState. Every statement result
// goes through Note(), which turns "damaged", "read-only", "full" and "locked" into the
// store's state and its one-time warnings.
//
// Threading: a connection belongs to the thread that opened it.

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "StoreState.h"

namespace tavora::store::detail {

class Connection {
public:
    explicit Connection(StoreState& state);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ready() const { return ready_; }
    bool readOnly() const { return readOnly_; }
    uint64_t generation() const { return generation_; }
    uint64_t serial() const { return serial_; }
    StoreState& state() { return state_; }

    // Runs SQL without rows; true when it succeeded.
    bool Exec(const char* sql);
    // A reset statement for `sql` (a string literal: the pointer is the cache key).
    sqlite3_stmt* Prepare(const char* sql);
    // sqlite3_step with the result noted; the statement is left as it is.
    int Step(sqlite3_stmt* stmt);
    // Records what a result code says about the store. Returns rc.
    int Note(int rc);

    // Keys this connection has created or seen created, in lower case, so that the
    // create-on-open of every read does not cost a write. A key deleted by another
    // process stays in here; that only means a later read does not create it again,
    // while a later write still stores its value (which makes the key exist).
    std::set<std::string> knownKeys;
    std::set<std::string> pendingKeys;  // created in the open transaction

private:
    bool Open(bool immutable);
    void Close();
    // SQLITE_OK when the file can be read; the first connection of the process also
    // checks it for damage (SQLITE_CORRUPT, with the state marked).
    int Probe();
    int CheckIntact();
    bool PrepareSchema();
    static int OnBusy(void* self, int attempt);

    StoreState& state_;
    sqlite3* db_ = nullptr;
    bool ready_ = false;
    bool readOnly_ = false;
    uint64_t generation_ = 0;
    uint64_t serial_ = 0;
    Clock::time_point busySince_{};
    std::map<const char*, sqlite3_stmt*> statements_;
};

}  // namespace tavora::store::detail
