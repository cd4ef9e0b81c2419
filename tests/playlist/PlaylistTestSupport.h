#pragma once
// Helpers shared by the playlist tests.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlaylistModel.h"

namespace tavora::test {

// A scratch folder removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        static int n = 0;
        dir = std::filesystem::temp_directory_path() /
              ("tavora-playlist-" + std::to_string(getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(dir);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // Writes `bytes` to the file `name` below the folder (creating folders); its path.
    std::string Write(const std::string& name, const std::string& bytes = "x") const {
        const std::filesystem::path p = dir / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

    std::filesystem::path dir;
};

inline std::vector<std::string> Titles(const PlaylistModel& model) {
    std::vector<std::string> titles;
    for (const auto& e : model.Entries()) titles.push_back(e.title);
    return titles;
}

}  // namespace tavora::test
