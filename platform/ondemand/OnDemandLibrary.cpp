#include "OnDemandLibrary.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace tavora {

void* LoadOnDemand(const char* soname, const char* lost) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    std::lock_guard lock(mutex);
    auto [it, first] = loaded.try_emplace(soname, nullptr);
    if (first) {
        // Never unloaded: what it made (a transfer, an open archive) may outlive its caller.
        it->second = dlopen(soname, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!it->second) {
            const char* why = dlerror();
            std::fprintf(stderr, "cannot load %s: %s; %s.\n", soname, why ? why : "unknown error", lost);
        }
    }
    return it->second;
}

}  // namespace tavora
