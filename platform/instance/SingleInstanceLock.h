#pragma once
// The player's single-instance token: a lock file held with flock() for the life
// of the first instance. The kernel drops the lock when the process ends, however it
// ends, so a crashed player never blocks the next start.
//
// The file lives in the first of these folders where it can be made:
//   1. $XDG_RUNTIME_DIR (one per desktop session, like a session-wide named mutex),
//   2. $TMPDIR/TavoraPlayer-<uid> (/tmp when TMPDIR is unset; made private to the user),
//   3. the settings store's folder.
// Every launch walks the same list, so a later launch finds the first one's lock (and
// its hand-off socket, which lives beside it); a lock held further down the list wins
// over one just taken in an earlier folder, which may have become usable since the
// running player started. A folder where the file cannot be made
// is named on stderr with the reason; when none works the player runs as the only
// instance and says so.

#include <string>
#include <string_view>
#include <vector>

namespace tavora::platform {

class SingleInstanceLock {
public:
    enum class State {
        Acquired,     // this process is the first instance
        HeldByOther,  // another player holds the lock in folder()
        Unavailable,  // no lock file could be made anywhere: run alone, unguarded
    };

    explicit SingleInstanceLock(std::string_view name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State state() const { return state_; }
    // True when this process holds the lock (no other instance runs).
    bool acquired() const { return state_ == State::Acquired; }
    // The folder of the lock file (and of the hand-off socket); empty when Unavailable.
    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }

    // The folders tried, in order (see above).
    static std::vector<std::string> CandidateFolders();
    static std::string LockFileName(std::string_view name);

private:
    // One folder: true when the question is settled there (acquired or held by another).
    bool TryFolder(const std::string& folder, const std::string& file);
    static bool HeldByAnother(const std::string& path);

    State state_ = State::Unavailable;
    std::string folder_;
    std::string path_;
    int fd_ = -1;
};

// Makes $TMPDIR/TavoraPlayer-<uid> (or checks it): a folder owned by this user, not a
// link, not open to others. Empty with `error` set when that is not so.
std::string PrivateTempFolder(std::string* error = nullptr);

}  // namespace tavora::platform
