#pragma once
// The player's single-instance token: a lock file held with flock() for the life
// of the first instance. The kernel drops the lock when the process ends, however it
// ends, so a crashed player never blocks the next start.
//
// The file lives in $XDG_RUNTIME_DIR (one per desktop session, like a session-wide
// named mutex), else in /tmp with the user id in its name.

#include <string>
#include <string_view>

namespace tavora::platform {

class SingleInstanceLock {
public:
    explicit SingleInstanceLock(std::string_view name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this process holds the lock (no other instance runs).
    bool acquired() const { return fd_ >= 0 && acquired_; }
    const std::string& path() const { return path_; }

    static std::string LockPathFor(std::string_view name);

private:
    std::string path_;
    int fd_ = -1;
    bool acquired_ = false;
};

}  // namespace tavora::platform
