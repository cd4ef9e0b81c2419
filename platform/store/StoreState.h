#pragma once
// What this process knows about one store file, shared by all its threads: whether
// the file was checked for damage, whether it was found damaged and replaced, whether
// another program keeps it locked, and which warnings were already printed.
//
// The store never waits long: a locked store is waited for at most kBusyLimit per
// access, and after one such time-out the following accesses do not wait at all for
// kNoWaitWindow, so start-up and exit are delayed by seconds, not minutes. (Readers
// never wait for an ordinary writer in WAL mode; only a writer, or a program holding
// the file exclusively, makes anyone wait.)
//
// Threading: every member function locks the state's own mutex.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace tavora::store::detail {

using Clock = std::chrono::steady_clock;

inline constexpr std::chrono::milliseconds kBusyLimit{2000};
inline constexpr std::chrono::seconds kNoWaitWindow{10};
// After an open that failed for a reason other than a lock (no folder, no permission),
// the next attempt comes this much later; accesses in between give their defaults.
inline constexpr std::chrono::seconds kReopenDelay{1};

enum class Warning { Locked, ReadOnly, WriteFailed, Unavailable, Count };

class StoreState {
public:
    explicit StoreState(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Damage check: once per process and file.
    bool NeedsCheck();
    void CheckDone();

    // A file found damaged. With repairing on (the player), it is moved aside as soon as
    // no connection of this process has it open any more; until then the store is
    // unavailable. With repairing off (the store tool) it stays damaged and is reported.
    void MarkCorrupt(const std::string& detail);
    bool corrupt();
    std::string corruptDetail();
    // Moves the damaged file (with its -wal and -shm) aside when no connection of this
    // process but the caller's `ownOpen` ones holds it; true when the path is free for
    // a fresh store.
    bool ReplaceCorrupt(int ownOpen);
    uint64_t generation();

    void ConnectionOpened();
    void ConnectionClosed();

    // Lock waiting: how long an access may still wait, given when it started waiting.
    bool MayWait(Clock::time_point waitingSince);
    void NoteLockTimeout();

    void NoteOpenFailure();
    bool MayOpen();

    // Prints `text` on stderr unless this kind of warning was printed already; a
    // successful write lets WriteFailed be printed again.
    void WarnOnce(Warning kind, const std::string& text);
    void NoteWriteSucceeded();

private:
    std::mutex mutex_;
    std::string path_;
    bool checked_ = false;
    bool corrupt_ = false;
    std::string corruptDetail_;
    uint64_t generation_ = 0;
    int openConnections_ = 0;
    Clock::time_point noWaitUntil_{};
    Clock::time_point reopenAt_{};
    bool warned_[static_cast<int>(Warning::Count)] = {};
};

// The state of `path`, created on first use and kept for the life of the process.
StoreState& StateFor(const std::string& path);

// Whether a damaged store is moved aside and replaced (the player) or only reported.
bool RepairingCorruptStores();

// "tavoraplayer: " or the name of whichever program uses the store.
std::string ProgramPrefix();

// Remembers the start-up notice about a replaced store (see StoreStartupNotice()).
void SetStartupNotice(const std::string& movedTo);

}  // namespace tavora::store::detail
