#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavora {

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int OpenRegularFileFd(const std::string& path) {
    // Checked before opening so that a device is never opened at all (opening some has
    // side effects), and again on the descriptor, because the name may have changed in
    // between. O_NONBLOCK makes the open of a FIFO return at once; reads of a regular
    // file ignore it, but it is cleared all the same.
    if (!IsRegularFile(path)) {
        errno = ENOENT;
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularFile(const std::string& path) {
    const int fd = OpenRegularFileFd(path);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

}  // namespace tavora
