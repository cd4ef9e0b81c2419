#pragma once
// Points the settings store of this process at a fresh database file for one test.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace tavora::test {

class TempRegistry {
public:
    TempRegistry() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tavora-reg-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "registry.db").string();
        const char* old = std::getenv("TAVORA_REGISTRY");
        if (old) old_ = old, hadOld_ = true;
        setenv("TAVORA_REGISTRY", path_.c_str(), 1);
    }
    ~TempRegistry() {
        if (hadOld_) setenv("TAVORA_REGISTRY", old_.c_str(), 1);
        else unsetenv("TAVORA_REGISTRY");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& path() const { return path_; }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string path_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace tavora::test
