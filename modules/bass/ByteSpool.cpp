#include "ByteSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tavora::audio {
namespace {

constexpr int64_t kReleaseStep = 1 << 20;

int OpenUnnamedFile() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && *tmp ? tmp : "/tmp";
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    // File systems without O_TMPFILE: a named file, removed at once.
    std::string name = dir + "/tavora-spool-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.c_str());
    return fd;
}

}  // namespace

ByteSpool::~ByteSpool() {
    if (fd_ >= 0) close(fd_);
}

bool ByteSpool::SpoolToFile(int64_t capacity) {
    if (fd_ >= 0 || !memory_.empty() || capacity <= 0) return false;
    fd_ = OpenUnnamedFile();
    if (fd_ < 0) return false;
    capacity_ = static_cast<size_t>(capacity);
    return true;
}

size_t ByteSpool::Buffered() const {
    return fd_ >= 0 ? static_cast<size_t>(writeAt_ - readAt_) : memory_.size();
}

bool ByteSpool::Append(const uint8_t* data, size_t size) {
    if (fd_ < 0) {
        memory_.insert(memory_.end(), data, data + size);
        return true;
    }
    while (size > 0) {
        const ssize_t n = pwrite(fd_, data, size, writeAt_);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        writeAt_ += n;
    }
    return true;
}

size_t ByteSpool::Peek(uint8_t* out, size_t size) const {
    size = std::min(size, Buffered());
    if (fd_ < 0) {
        std::copy_n(memory_.begin(), size, out);
        return size;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd_, out + done, size - done, readAt_ + static_cast<int64_t>(done));
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t ByteSpool::Take(uint8_t* out, size_t size) {
    const size_t n = Peek(out, size);
    if (fd_ < 0) {
        memory_.erase(memory_.begin(), memory_.begin() + static_cast<long>(n));
        return n;
    }
    readAt_ += static_cast<int64_t>(n);
    // Nothing is read twice: the disk space behind the reader goes back in steps.
    const int64_t release = readAt_ / kReleaseStep * kReleaseStep;
    if (release > released_) {
        fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, released_, release - released_);
        released_ = release;
    }
    return n;
}

}  // namespace tavora::audio
