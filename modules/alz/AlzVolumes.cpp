#include "AlzVolumes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "MediaTypes.h"

namespace tavora::alz {

namespace {

constexpr size_t kHeadSize = 8, kTailSize = 16;
// The set naming reaches "z99" at most; real sets are far smaller.
constexpr size_t kMaxVolumes = 2601;

bool ReadAt(int fd, uint64_t offset, void* buffer, size_t n) {
    return pread(fd, buffer, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
}

}  // namespace

std::string VolumeName(const std::string& firstPath, size_t index) {
    if (firstPath.size() < 4) return "";
    const std::string_view ext = std::string_view(firstPath).substr(firstPath.size() - 4);
    if (ext[0] != '.' || media::Find(media::Use::VolumeSet, ext.substr(1)) != media::Media::Alz) return "";
    // The volumes follow the first name's case when it is all upper-case.
    const bool upper = std::all_of(ext.begin() + 1, ext.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    char tail[8];
    const char letter = static_cast<char>((upper ? 'A' : 'a') + (index - 1) / 100);
    std::snprintf(tail, sizeof tail, ".%c%02zu", letter, (index - 1) % 100);
    return firstPath.substr(0, firstPath.size() - 4) + tail;
}

VolumeSet::~VolumeSet() {
    if (openFd_ >= 0) close(openFd_);
}

bool VolumeSet::Open(const std::string& firstPath, std::string* error) {
    std::vector<std::pair<std::string, uint64_t>> files;  // path, file size
    for (size_t index = 0; index < kMaxVolumes; ++index) {
        const std::string path = index == 0 ? firstPath : VolumeName(firstPath, index);
        if (path.empty()) break;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        unsigned char head[kHeadSize] = {}, tail[4] = {};
        const bool isFile = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        const bool isAlz = isFile && ReadAt(fd, 0, head, kHeadSize) && std::memcmp(head, "ALZ\x01", 4) == 0;
        const uint64_t size = isFile ? static_cast<uint64_t>(st.st_size) : 0;
        const bool continues = isAlz && size >= kHeadSize + kTailSize && ReadAt(fd, size - 4, tail, 4) &&
                               std::memcmp(tail, "CLZ\x03", 4) == 0;
        if (fd >= 0) close(fd);
        if (!isAlz) {
            if (index == 0) {
                *error = isFile ? "not an ALZ archive" : "cannot open the archive";
                return false;
            }
            warning_ = "volume " + path + " is missing or damaged";
            break;
        }
        files.emplace_back(path, size);
        if (!continues) break;
    }
    uint64_t logical = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const uint64_t start = i == 0 ? 0 : kHeadSize;
        const bool last = i + 1 == files.size() && warning_.empty();
        uint64_t end = files[i].second;
        if (!last && end >= start + kTailSize) end -= kTailSize;
        const uint64_t length = end > start ? end - start : 0;
        volumes_.push_back({files[i].first, logical, start, length});
        logical += length;
    }
    size_ = logical;
    return true;
}

int VolumeSet::Descriptor(size_t index) {
    if (openFd_ >= 0 && openIndex_ == index) return openFd_;
    if (openFd_ >= 0) close(openFd_);
    openFd_ = open(volumes_[index].path.c_str(), O_RDONLY | O_CLOEXEC);
    openIndex_ = index;
    return openFd_;
}

size_t VolumeSet::Read(uint64_t offset, void* buffer, size_t n) {
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    // Volumes are few and sorted: find the first one holding the offset.
    size_t index = 0;
    while (index < volumes_.size() && offset >= volumes_[index].logicalStart + volumes_[index].length) ++index;
    while (done < n && index < volumes_.size()) {
        const Volume& v = volumes_[index];
        const uint64_t within = offset + done - v.logicalStart;
        if (within >= v.length) {
            ++index;
            continue;
        }
        const uint64_t avail = v.length - within;
        const size_t want = static_cast<size_t>(avail < n - done ? avail : n - done);
        const int fd = Descriptor(index);
        if (fd < 0) break;
        const ssize_t got = pread(fd, out + done, want, static_cast<off_t>(v.physicalStart + within));
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

}  // namespace tavora::alz
