#include "SafeFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "EntryName.h"

namespace tavora::unpack {

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Opens destFolder itself (the program's own folder, created when missing) and then each
// of the first `count` components below it, creating them, never following a link.
int OpenFolders(const std::string& destFolder, const std::vector<std::string>& parts, size_t count,
                std::string* error) {
    if (destFolder.empty()) {
        *error = "no destination folder";
        return -1;
    }
    mkdir(destFolder.c_str(), 0755);
    int fd = open(destFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *error = SystemError("cannot open the folder " + destFolder);
        return -1;
    }
    for (size_t i = 0; i < count; ++i) {
        if (mkdirat(fd, parts[i].c_str(), 0755) != 0 && errno != EEXIST) {
            *error = SystemError("cannot create the folder " + parts[i]);
            close(fd);
            return -1;
        }
        const int next = openat(fd, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(fd);
        if (next < 0) {
            *error = errno == ELOOP || errno == ENOTDIR
                         ? "the folder " + parts[i] + " is a link or a file; refusing to write through it"
                         : SystemError("cannot open the folder " + parts[i]);
            return -1;
        }
        fd = next;
    }
    return fd;
}

std::string RandomSuffix() {
    unsigned char bytes[6];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        static std::atomic<unsigned> counter{0};
        const unsigned v = static_cast<unsigned>(getpid()) * 2654435761u + ++counter;
        std::memcpy(bytes, &v, 4);
        bytes[4] = bytes[5] = 0;
    }
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string out;
    for (unsigned char b : bytes) out += kDigits[b % 36];
    return out;
}

std::string JoinPath(const std::string& folder, const std::vector<std::string>& parts) {
    std::string path = folder;
    for (const auto& p : parts) {
        if (path.empty() || path.back() != '/') path += '/';
        path += p;
    }
    return path;
}

}  // namespace

bool MemorySink::Write(const void* data, size_t size) {
    if (size > limit_ - written_) {
        error_ = "more data than the entry declares";
        return false;
    }
    const auto* p = static_cast<const unsigned char*>(data);
    try {
        bytes_.insert(bytes_.end(), p, p + size);
    } catch (const std::bad_alloc&) {
        error_ = "out of memory";
        return false;
    }
    written_ += size;
    return true;
}

SafeFile::~SafeFile() { Discard(); }

void SafeFile::Discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (dirFd_ >= 0) {
        if (!tempName_.empty()) unlinkat(dirFd_, tempName_.c_str(), 0);
        close(dirFd_);
    }
    dirFd_ = -1;
    tempName_.clear();
}

bool SafeFile::Open(const std::string& destFolder, std::string_view name, uint64_t declaredSize, bool sizeKnown) {
    Discard();
    written_ = 0;
    declared_ = declaredSize;
    sizeKnown_ = sizeKnown;
    const auto parts = SafeComponents(name);
    if (!parts) {
        error_ = "unsafe name, not extracted: " + std::string(name);
        return false;
    }
    leaf_ = parts->back();
    path_ = JoinPath(destFolder, *parts);
    dirFd_ = OpenFolders(destFolder, *parts, parts->size() - 1, &error_);
    if (dirFd_ < 0) return false;
    struct statvfs fs {};
    if (fstatvfs(dirFd_, &fs) == 0) {
        const uint64_t space = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
        if (sizeKnown && space < declaredSize) {
            error_ = "not enough free space for " + std::to_string(declaredSize) + " bytes";
            Discard();
            return false;
        }
        // Without a declared size the free space is the bound: a full disk helps no one.
        if (!sizeKnown) declared_ = space;
    } else if (!sizeKnown) {
        declared_ = UINT64_MAX;
    }
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempName_ = ".tavora-part-" + RandomSuffix();
        fd_ = openat(dirFd_, tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        error_ = SystemError("cannot create a file in the folder of " + path_);
        tempName_.clear();
        Discard();
        return false;
    }
    return true;
}

bool SafeFile::Write(const void* data, size_t size) {
    if (fd_ < 0) return false;
    if (size > declared_ - written_) {
        error_ = sizeKnown_ ? "more data than the entry declares (" + std::to_string(declared_) + " bytes)"
                            : "more data than the free space";
        return false;
    }
    const auto* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t n = write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = SystemError("cannot write " + path_);
            return false;
        }
        p += n, left -= static_cast<size_t>(n);
    }
    written_ += size;
    return true;
}

bool SafeFile::Commit() {
    if (fd_ < 0) return false;
    if (sizeKnown_ && written_ != declared_) {
        error_ = "the entry ended after " + std::to_string(written_) + " of " + std::to_string(declared_) + " bytes";
        Discard();
        return false;
    }
    if (fsync(fd_) != 0 || close(fd_) != 0) {
        fd_ = -1;
        error_ = SystemError("cannot write " + path_);
        Discard();
        return false;
    }
    fd_ = -1;
    if (renameat(dirFd_, tempName_.c_str(), dirFd_, leaf_.c_str()) != 0) {
        error_ = SystemError("cannot put " + path_ + " in place");
        Discard();
        return false;
    }
    tempName_.clear();
    fsync(dirFd_);
    Discard();
    return true;
}

bool MakeSafeFolder(const std::string& destFolder, std::string_view name, std::string* error) {
    const auto parts = SafeComponents(name);
    if (!parts) {
        *error = "unsafe name, not extracted: " + std::string(name);
        return false;
    }
    const int fd = OpenFolders(destFolder, *parts, parts->size(), error);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace tavora::unpack
