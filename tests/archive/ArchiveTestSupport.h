#pragma once
// Helpers of the archive module tests: a scratch folder, the project's fixtures, files
// and their CRC-32, listings collected from the modules' callbacks, and running the
// command-line archivers that make test archives.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tavora/archive_api.h"

namespace tavora::test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string Path(const std::string& name = "") const { return name.empty() ? dir_.string() : (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

// tests/fixtures/archives/<relative>
std::string Fixture(const std::string& relative);
// tests/archive/<name> (the scripts that write test archives)
std::string TestScript(const std::string& name);

struct ListedEntry {
    std::string name;
    uint64_t size = 0;
    uint64_t position = 0;
    bool isFolder = false, isLink = false, isEncrypted = false, isSafe = false;
};
// A callback for the listing calls that appends to a std::vector<ListedEntry>.
int CollectEntry(void* context, const TavoraArchiveEntry* entry);

bool RunShell(const std::string& shellCommand);
std::string Quote(const std::string& text);
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
uint32_t Crc32(const std::vector<unsigned char>& bytes);
// Regular files below a folder, by path relative to it, with their CRC-32; folders end in "/".
std::map<std::string, uint32_t> Tree(const std::string& folder);
// True when a folder holds something whose name starts with ".tavora-part-" (a leftover
// temporary file) anywhere below it.
bool HasLeftovers(const std::string& folder);

}  // namespace tavora::test
