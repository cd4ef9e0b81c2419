#pragma once
// Helpers for the tag writer tests: running a tool for its output, decoded audio as a
// digest, leftovers in a folder, and a small tmpfs to fill the disk.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tavora::test {

// Runs a program on PATH (no shell) and returns what it wrote to its standard output;
// *status gets its exit status (-1 when it could not run).
std::string CaptureTool(const std::vector<std::string>& args, int* status = nullptr);

// MD5 of the decoded audio (ffmpeg, 16-bit PCM); empty when ffmpeg fails.
std::string DecodedAudioMd5(const std::string& path);

// File names in a folder.
std::set<std::string> FolderEntries(const std::string& dir);

std::vector<unsigned char> FileBytes(const std::string& path);

// A tmpfs of the given size, mounted for the object's life. mounted() is false where
// mounting is not permitted (not root, no mount namespace); such tests are skipped.
class SmallTmpfs {
public:
    explicit SmallTmpfs(size_t bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
    bool mounted_ = false;
};

}  // namespace tavora::test
