#pragma once
// A fresh folder below the system's temporary folder, removed with everything in it
// when the object goes.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tavora::test {

class TempFolder {
public:
    // `prefix` names the folder (tavora-<prefix>-<pid>-<n>) so leftovers say whose they are.
    explicit TempFolder(const std::string& prefix = "test") {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tavora-" + prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Writes `bytes` to the file `name` below the folder (creating folders); its path.
    std::string Write(const std::string& name, const std::string& bytes = "x") const {
        const std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

}  // namespace tavora::test
