#include "SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace tavora::platform {

std::string SingleInstanceLock::LockPathFor(std::string_view name) {
    std::string file;
    for (char ch : name) file.push_back(ch == ' ' || ch == '/' ? '_' : ch);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/" + file + ".lock";
    return "/tmp/" + file + "-" + std::to_string(getuid()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(std::string_view name) : path_(LockPathFor(name)) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    if (acquired_) {
        // The holder's pid, for people looking at the file; the lock is what counts.
        if (::ftruncate(fd_, 0) == 0) {
            const std::string pid = std::to_string(getpid()) + "\n";
            [[maybe_unused]] auto written = ::write(fd_, pid.data(), pid.size());
        }
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tavora::platform
