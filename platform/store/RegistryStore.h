#pragma once
// The settings store: a registry of keys and values kept in one SQLite database.
//
// Threading: every function may be called from any thread and from several
// processes at once. Each thread keeps its own connection to the database; the
// database runs in WAL mode, so readers never block writers, and concurrent writers
// wait for each other for a bounded time (about two seconds) instead of failing at
// once. A store another program keeps locked longer makes accesses fail, and for a
// while after that they fail without waiting: nothing here waits without limit.
//
// Trouble with the file is handled here, once, and told on stderr: a damaged file is
// moved aside as "<name>.corrupt-YYYYMMDD-HHMMSS" (with its -wal and -shm) and a fresh
// store is made (see StoreStartupNotice()); a file or folder that cannot be written is
// read as far as possible; a failed write is reported once.
//
// Keys are paths of names separated by "\" below one of two hives. Key paths and
// value names compare case-insensitively (ASCII), as the Windows registry does.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavora::store {

namespace detail {
class Connection;
}

enum class Hive : int { LocalMachine = 0, ClassesRoot = 1 };

enum class ValueType : int { Dword = 4, String = 1 };  // REG_DWORD, REG_SZ

struct Value {
    std::string name;
    ValueType type = ValueType::String;
    uint32_t dword = 0;
    std::string text;
};

// The database file: $TAVORA_REGISTRY, else $XDG_CONFIG_HOME/TavoraPlayer/registry.db
// (~/.config when XDG_CONFIG_HOME is unset). Read afresh on every call, so tests can
// point a process at a new store.
std::string DatabasePath();

// Canonical form of a key path: separators folded to single "\", none at either end.
std::string NormalizeKey(std::string_view key);

// All return false (or nothing) on any error; callers decide whether to care.
bool CreateKey(Hive hive, std::string_view key);
bool KeyExists(Hive hive, std::string_view key);
std::optional<Value> GetValue(Hive hive, std::string_view key, std::string_view name);
bool SetDword(Hive hive, std::string_view key, std::string_view name, uint32_t number);
bool SetString(Hive hive, std::string_view key, std::string_view name, std::string_view text);
bool DeleteValue(Hive hive, std::string_view key, std::string_view name);
// Removes the key with all its values and every key below it.
bool DeleteKey(Hive hive, std::string_view key);

// Reads a DWORD, adds `delta` and writes it back in one exclusive transaction, so two
// processes never see the same result. A missing value counts as `missing`.
std::optional<uint32_t> IncrementDword(Hive hive, std::string_view key, std::string_view name,
                                       uint32_t missing, uint32_t delta = 1);

std::vector<Value> ListValues(Hive hive, std::string_view key);
// The values of a key as ListValues gives them, without copying them: the views are
// valid during the call of `visit` only. False when the key could not be read to its end.
struct ValueView {
    std::string_view name;
    ValueType type = ValueType::String;
    uint32_t dword = 0;
    std::string_view text;
};
bool ForEachValue(Hive hive, std::string_view key, const std::function<void(const ValueView&)>& visit);
std::vector<std::string> ListSubkeys(Hive hive, std::string_view key);  // direct children, stored case
std::vector<std::string> ListAllKeys(Hive hive);                        // every key, sorted

enum class StoreCondition { Healthy, ReadOnly, Corrupt, Unavailable };
struct StoreCheck {
    StoreCondition condition = StoreCondition::Healthy;
    std::string detail;  // what is wrong, in English, for messages
};
// Opens the store of this process (when not open yet) and tells how it is.
StoreCheck CheckStore();

// On (the default): a damaged store is moved aside and replaced. Off (the store tool):
// it is left as it is and CheckStore() reports it as Corrupt.
void SetRepairCorruptStore(bool repair);

// The text to show the user at start-up when this process replaced a damaged store
// ("설정 파일이 손상되어 새로 만들었습니다.\n손상된 파일: <where it went>"); empty otherwise.
std::string StoreStartupNotice();

// Groups every store call of this thread into one transaction until Commit() or the
// end of the scope (which rolls back unless committed). A crash in between leaves
// the store as it was before. Nesting is allowed; only the outermost scope commits.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool Commit();
    // False once the transaction failed: later writes in it are refused.
    bool ok() const;

private:
    bool End(bool commit);
    bool outermost_ = false;
    bool done_ = false;
    bool committed_ = false;
};

// Writes many values of one key, for lists of thousands of rows: the key is made once
// and one prepared statement serves every value, so each value costs one statement
// step and nothing else. The writes are a transaction of their own, or part of the
// thread's open one; once one of them fails, the rest are refused.
class KeyWriter {
public:
    KeyWriter(Hive hive, std::string_view key);
    KeyWriter(const KeyWriter&) = delete;
    KeyWriter& operator=(const KeyWriter&) = delete;
    bool SetString(std::string_view name, std::string_view text);
    bool SetDword(std::string_view name, uint32_t number);
    bool DeleteValue(std::string_view name);
    // Removes every key below this one with its values.
    bool DeleteKeysBelow();
    // Ends the writer's own transaction (see Transaction::Commit()).
    bool Commit() { return tx_.Commit(); }
    bool ok() const { return tx_.ok() && connection_; }

private:
    bool Set(std::string_view name, ValueType type, uint32_t number, std::string_view text);
    bool Usable();
    Transaction tx_;
    Hive hive_;
    std::string key_;
    detail::Connection* connection_ = nullptr;
};

}  // namespace tavora::store
