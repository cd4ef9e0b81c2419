#pragma once
// Files for the update tests: the built modules the loopback server offers, and
// writing and reading small files.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tavora::test {

inline const std::filesystem::path kBuiltModules = TAVORA_BUILT_MODULES_DIR;

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace tavora::test
