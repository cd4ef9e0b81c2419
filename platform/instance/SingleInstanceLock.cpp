#include "SingleInstanceLock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "store/RegistryStore.h"

namespace tavora::platform {
namespace {

void Complain(const std::string& what, const std::string& path, int error) {
    std::fprintf(stderr, "%s: %s %s: %s\n", program_invocation_short_name, what.c_str(), path.c_str(),
                 std::strerror(error));
}

}  // namespace

std::string PrivateTempFolder(std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/TavoraPlayer-" + std::to_string(getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = std::strerror(errno);
        return {};
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (error) *error = std::strerror(errno);
        return {};
    }
    // Someone else's folder, or a link planted in a shared /tmp, is not ours to use.
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0) {
        if (error) *error = "not a private folder of this user";
        return {};
    }
    return folder;
}

std::vector<std::string> SingleInstanceLock::CandidateFolders() {
    std::vector<std::string> folders;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) folders.emplace_back(runtime);
    std::string error;
    if (std::string temp = PrivateTempFolder(&error); !temp.empty())
        folders.push_back(std::move(temp));
    else
        std::fprintf(stderr, "%s: cannot use a private temporary folder for the single-instance lock: %s\n",
                     program_invocation_short_name, error.c_str());
    // The store makes its folder anyway; make it now so the lock can live there.
    const auto storeFolder = std::filesystem::path(store::DatabasePath()).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(storeFolder, ec);
    folders.push_back(storeFolder.string());
    return folders;
}

std::string SingleInstanceLock::LockFileName(std::string_view name) {
    std::string file;
    for (char ch : name) file.push_back(ch == ' ' || ch == '/' ? '_' : ch);
    return file + ".lock";
}

SingleInstanceLock::SingleInstanceLock(std::string_view name) {
    const std::string file = LockFileName(name);
    const std::vector<std::string> folders = CandidateFolders();
    for (size_t i = 0; i < folders.size(); ++i) {
        if (!TryFolder(folders[i], file)) continue;
        if (state_ == State::Acquired) {
            // A player that started while an earlier folder was unusable holds its lock
            // further down the list (a runtime folder can appear later): that one counts.
            for (size_t j = i + 1; j < folders.size(); ++j) {
                if (!HeldByAnother(folders[j] + "/" + file)) continue;
                ::close(fd_);
                fd_ = -1;
                state_ = State::HeldByOther;
                folder_ = folders[j];
                path_ = folders[j] + "/" + file;
                break;
            }
        }
        return;
    }
    std::fprintf(stderr,
                 "%s: no single-instance lock could be made; running as the only player without one "
                 "(a later launch starts another player instead of handing over).\n",
                 program_invocation_short_name);
}

bool SingleInstanceLock::TryFolder(const std::string& folder, const std::string& file) {
    const std::string path = folder + "/" + file;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        Complain("cannot create the single-instance lock", path, errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            state_ = State::HeldByOther;
            folder_ = folder;
            path_ = path;
            return true;
        }
        Complain("cannot lock the single-instance lock", path, error);
        return false;
    }
    fd_ = fd;
    state_ = State::Acquired;
    folder_ = folder;
    path_ = path;
    // The holder's pid, for people looking at the file; the lock is what counts.
    if (::ftruncate(fd_, 0) == 0) {
        const std::string pid = std::to_string(getpid()) + "\n";
        [[maybe_unused]] auto written = ::write(fd_, pid.data(), pid.size());
    }
    return true;
}

bool SingleInstanceLock::HeldByAnother(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tavora::platform
