#include "ExtractedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace tavora {
namespace {

constexpr std::string_view kTempStep = "/Temp/";
constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The steps of `path` after installFolder + "/Temp/", empty when it does not lie there.
std::vector<std::string> StepsBelowTemp(std::string_view path, std::string_view installFolder) {
    std::vector<std::string> steps;
    if (installFolder.empty()) return steps;
    const size_t start = installFolder.size() + kTempStep.size();
    if (path.size() <= start || path.substr(0, installFolder.size()) != installFolder ||
        path.substr(installFolder.size(), kTempStep.size()) != kTempStep)
        return steps;
    std::string_view rest = path.substr(start);
    while (true) {
        const size_t slash = rest.find('/');
        const std::string_view step = rest.substr(0, slash);
        if (step.empty() || step == "." || step == "..") return {};
        steps.emplace_back(step);
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return steps;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool IsExtractedFile(std::string_view path, std::string_view installFolder) {
    return !StepsBelowTemp(path, installFolder).empty();
}

bool RemoveExtractedFile(const std::string& path, const std::string& installFolder) {
    const std::vector<std::string> steps = StepsBelowTemp(path, installFolder);
    if (steps.empty()) return false;
    const Fd install(::open(installFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (install.get() < 0) return false;
    Fd folder(::openat(install.get(), "Temp", kOpenFolder));
    for (size_t i = 0; folder.get() >= 0 && i + 1 < steps.size(); ++i)
        folder = Fd(::openat(folder.get(), steps[i].c_str(), kOpenFolder));
    if (folder.get() < 0) return false;
    struct stat st {};
    const char* name = steps.back().c_str();
    if (::fstatat(folder.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
    return ::unlinkat(folder.get(), name, 0) == 0;
}

}  // namespace tavora
