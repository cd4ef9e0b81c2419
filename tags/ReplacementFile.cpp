#include "ReplacementFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavora {
namespace {

std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Write-ahead of the rename: without a synced folder the new name may be lost in a crash.
void SyncFolder(const std::string& file) {
    const int fd = open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

bool IsWritableTagTarget(const std::string& path, std::string* why) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "not a regular file";
        return false;
    }
    // The superuser passes access(); the permission bits still say the user wants the
    // file kept as it is.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0) {
        *why = std::strerror(EACCES);
        return false;
    }
    return true;
}

ReplacementFile::ReplacementFile(const std::string& target, const std::string& suffix)
    : target_(Resolved(target)), temp_(target_ + suffix) {
    struct stat st {};
    if (stat(target_.c_str(), &st) != 0) {
        fail("stat");
        return;
    }
    // O_NOFOLLOW: a link planted under the temporary name must not redirect the write.
    const int fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 07777);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return;
    }
    fchmod(fd, st.st_mode & 07777);
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Only the owner's group may be kept by an ordinary user; the file stays usable.
    }
    out_ = fdopen(fd, "wb");
    if (!out_) {
        error_ = std::strerror(errno);
        close(fd);
        unlink(temp_.c_str());
    }
}

ReplacementFile::~ReplacementFile() {
    if (out_ && !streamClosed_) std::fclose(out_);
    if (out_ && !committed_) unlink(temp_.c_str());
}

void ReplacementFile::fail(const std::string& what) {
    if (error_.empty()) error_ = what + ": " + std::strerror(errno);
}

bool ReplacementFile::copyTarget() {
    if (!out_ || streamClosed_) return false;
    const int in = open(target_.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        fail("open");
        return false;
    }
    std::fflush(out_);
    const int outFd = fileno(out_);
    bool good = true;
    // copy_file_range lets the file system share or copy the blocks without a trip
    // through user space; it falls back to read/write where it is not supported.
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, outFd, nullptr, 1 << 24, 0);
        if (n > 0) continue;
        if (n == 0) break;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            fail("copy");
            good = false;
            break;
        }
        char buffer[1 << 16];
        for (;;) {
            const ssize_t r = read(in, buffer, sizeof buffer);
            if (r == 0) break;
            if (r < 0 || std::fwrite(buffer, 1, static_cast<size_t>(r), out_) != static_cast<size_t>(r)) {
                fail("copy");
                good = false;
                break;
            }
        }
        break;
    }
    close(in);
    return good;
}

bool ReplacementFile::closeStream() {
    if (!out_) return false;
    if (streamClosed_) return true;
    streamClosed_ = true;
    bool good = std::fflush(out_) == 0;
    if (!good) fail("write");
    if (std::fclose(out_) != 0 && good) {
        fail("close");
        good = false;
    }
    return good;
}

bool ReplacementFile::commit() {
    if (!out_ || committed_) return false;
    if (!closeStream()) return false;
    // Opened again by name because the stream may have been closed for an edit in place.
    const int fd = open(temp_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        fail("open");
        return false;
    }
    const bool synced = fsync(fd) == 0;
    if (!synced) fail("fsync");
    close(fd);
    if (!synced) return false;
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
        fail("rename");
        return false;
    }
    committed_ = true;
    SyncFolder(target_);
    return true;
}

}  // namespace tavora
