#include "ArchiveTestSupport.h"

#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace tavora::test {

ScratchFolder::ScratchFolder() {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("tavora-archive-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    fs::create_directories(dir_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string Fixture(const std::string& relative) {
    return std::string(std::getenv("TAVORA_SOURCE_DIR")) + "/tests/fixtures/archives/" + relative;
}

std::string TestScript(const std::string& name) {
    return std::string(std::getenv("TAVORA_SOURCE_DIR")) + "/tests/archive/" + name;
}

int CollectEntry(void* context, const TavoraArchiveEntry* e) {
    auto* out = static_cast<std::vector<ListedEntry>*>(context);
    out->push_back({e->name, e->size, e->position, e->isFolder != 0, e->isLink != 0, e->isEncrypted != 0, e->isSafe != 0});
    return 1;
}

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t Crc32(const std::vector<unsigned char>& bytes) {
    return static_cast<uint32_t>(crc32_z(crc32(0, nullptr, 0), bytes.data(), bytes.size()));
}

std::map<std::string, uint32_t> Tree(const std::string& folder) {
    std::map<std::string, uint32_t> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = it->path().lexically_relative(folder).string();
        if (it->is_symlink()) out[rel + "@"] = 0;
        else if (it->is_directory()) out[rel + "/"] = 0;
        else out[rel] = Crc32(ReadBytes(it->path().string()));
    }
    return out;
}

bool HasLeftovers(const std::string& folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it)
        if (it->path().filename().string().rfind(".tavora-part-", 0) == 0) return true;
    return false;
}

}  // namespace tavora::test
