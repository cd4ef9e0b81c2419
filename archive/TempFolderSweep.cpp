#include "TempFolderSweep.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ArchiveSongNames.h"

namespace tavora {
namespace {

// Deeper trees are left alone rather than risking the stack.
constexpr int kDepthLimit = 128;

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> NamesIn(int folderFd) {
    std::vector<std::string> names;
    const int fd = ::dup(folderFd);
    if (fd < 0) return names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

// Sweeps the folder open as folderFd; true when it is empty afterwards.
bool SweepFolder(int folderFd, int depth) {
    // Names are read first: deleting while reading a folder may skip entries.
    for (const std::string& name : NamesIn(folderFd)) {
        struct stat st {};
        if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (name[0] == '.' || depth >= kDepthLimit) continue;
            const int sub = ::openat(folderFd, name.c_str(), kOpenFolder);
            if (sub < 0) continue;
            const bool empty = SweepFolder(sub, depth + 1);
            ::close(sub);
            if (empty) ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
        } else if (!IsKeptBySweep(name)) {
            ::unlinkat(folderFd, name.c_str(), 0);  // a link goes, never what it points to
        }
    }
    return NamesIn(folderFd).empty();
}

}  // namespace

bool SweepTempFolder(const std::string& installFolder) {
    if (installFolder.empty() || installFolder[0] != '/') return false;
    const int installFd = ::open(installFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (installFd < 0) return false;
    const int tempFd = ::openat(installFd, "Temp", kOpenFolder);
    if (tempFd < 0) {
        ::close(installFd);
        return false;
    }
    const bool empty = SweepFolder(tempFd, 0);
    ::close(tempFd);
    if (empty) ::unlinkat(installFd, "Temp", AT_REMOVEDIR);
    ::close(installFd);
    return true;
}

}  // namespace tavora
