#include "RarLog.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tavora::unrar {

namespace {

std::mutex logMutex;
bool created = false;
std::chrono::steady_clock::time_point createdAt;

std::string CacheFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache";
}

}  // namespace

const std::string& LogPath() {
    static const std::string path = [] {
        const std::string folder = CacheFolder();
        return folder + "/TavoraPlayer/debug_unrar.txt";
    }();
    return path;
}

void LogMessage(unsigned line, const char* file, const std::string& message) {
    std::lock_guard<std::mutex> lock(logMutex);
    const std::string& path = LogPath();
    const std::string folder = path.substr(0, path.rfind('/'));
    mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    FILE* f = nullptr;
    if (!created) {
        f = std::fopen(path.c_str(), "w");
        if (!f) return;
        created = true;
        createdAt = std::chrono::steady_clock::now();
        std::fprintf(f, "UnRar.so debug log (built %s %s)\n", __DATE__, __TIME__);
    } else {
        f = std::fopen(path.c_str(), "a");
        if (!f) return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - createdAt);
    const char* base = std::strrchr(file, '/');
    std::fprintf(f, " %8u ms (line %u in %s):\n              - %s\n", static_cast<unsigned>(ms.count()), line,
                 base ? base + 1 : file, message.c_str());
    std::fclose(f);
}

}  // namespace tavora::unrar
