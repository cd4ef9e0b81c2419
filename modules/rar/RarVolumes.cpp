#include "RarVolumes.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <string_view>

#include "MediaTypes.h"

namespace tavora::unrar {

namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}

// Volume sets are bounded so that a folder of odd names cannot keep us counting.
constexpr int kMaxVolumes = 1000;

}  // namespace

std::vector<std::string> FindVolumes(const std::string& path) {
    std::vector<std::string> volumes{path};
    if (path.size() < 4 || path[path.size() - 4] != '.' ||
        media::Find(media::Use::VolumeSet, std::string_view(path).substr(path.size() - 3)) != media::Media::Rar)
        return volumes;
    const std::string stem = path.substr(0, path.size() - 4);
    const std::string ext = path.substr(path.size() - 4);
    // "x.partN.rar"
    size_t digitsStart = stem.size();
    while (digitsStart > 0 && std::isdigit(static_cast<unsigned char>(stem[digitsStart - 1]))) --digitsStart;
    const size_t width = stem.size() - digitsStart;
    if (width > 0 && width < 6 && EndsWithNoCase(stem.substr(0, digitsStart), ".part")) {
        const std::string base = stem.substr(0, digitsStart);
        std::vector<std::string> found;
        for (int n = 1; n <= kMaxVolumes; ++n) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%0*d", static_cast<int>(width), n);
            const std::string name = base + digits + ext;
            if (!IsFile(name)) break;
            found.push_back(name);
        }
        if (!found.empty()) return found;
        return volumes;
    }
    // "x.rar", "x.r00", "x.r01" ...
    for (int n = 0; n < 100; ++n) {
        char tail[8];
        std::snprintf(tail, sizeof tail, ".r%02d", n);
        const std::string name = stem + tail;
        if (!IsFile(name)) break;
        volumes.push_back(name);
    }
    return volumes;
}

}  // namespace tavora::unrar
