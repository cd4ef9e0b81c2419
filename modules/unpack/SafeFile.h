#pragma once
// Writing an archive entry below a destination folder, whatever its name claims.
//
// Every folder on the way is opened with openat(O_NOFOLLOW) one component at a time,
// so neither a ".." nor a symbolic link (one already in the folder, or one an archive
// made earlier) can lead outside. The file is written under a temporary name beside
// its final place, synced, and renamed into place only by Commit(); a SafeFile that is
// dropped before that removes its temporary file, so a failed extraction leaves
// nothing under the entry's name.

#include <cstdint>
#include <string>
#include <string_view>

#include "ByteSink.h"

namespace tavora::unpack {

class SafeFile : public ByteSink {
public:
    SafeFile() = default;
    ~SafeFile() override;
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the entry's folders and its temporary file. declaredSize bounds the output
    // (when sizeKnown) and is checked against the free space first; without it the free
    // space is the bound. False with Error().
    bool Open(const std::string& destFolder, std::string_view name, uint64_t declaredSize, bool sizeKnown);
    bool Write(const void* data, size_t size) override;
    // Checks the length (when known), syncs and renames into place.
    bool Commit();
    // destFolder + "/" + the cleaned name.
    const std::string& Path() const { return path_; }
    const std::string& FileName() const { return leaf_; }

private:
    void Discard();

    int dirFd_ = -1;
    int fd_ = -1;
    std::string tempName_;
    std::string leaf_;
    std::string path_;
    uint64_t declared_ = 0;
    bool sizeKnown_ = false;
};

// Creates destFolder/name as a folder the same careful way. False with *error.
bool MakeSafeFolder(const std::string& destFolder, std::string_view name, std::string* error);

}  // namespace tavora::unpack
