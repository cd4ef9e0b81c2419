#pragma once
// Points the settings store of this process at a fresh database file for one test.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TempFolder.h"

namespace tavora::test {

class TempRegistry {
public:
    TempRegistry() : path_((folder_.path() / "registry.db").string()) {
        const char* old = std::getenv("TAVORA_REGISTRY");
        if (old) old_ = old, hadOld_ = true;
        setenv("TAVORA_REGISTRY", path_.c_str(), 1);
    }
    ~TempRegistry() {
        if (hadOld_) setenv("TAVORA_REGISTRY", old_.c_str(), 1);
        else unsetenv("TAVORA_REGISTRY");
    }
    const std::string& path() const { return path_; }
    const std::filesystem::path& dir() const { return folder_.path(); }

private:
    TempFolder folder_{"reg"};
    std::string path_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace tavora::test
