#include "FfmpegOnDemand.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace tavora::audio {
namespace {

// The folder of the module this code is linked into (bass.so, basswma.so).
std::string OwnFolder() {
    Dl_info info {};
    if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
    const std::string self = info.dli_fname;
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

FfmpegOpenFunction LoadFfmpeg() {
    const std::string path = OwnFolder() + "/" + kFfmpegModule;
    // Never unloaded: a decoder it made may outlive the module that asked for it.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    void* entry = handle ? dlsym(handle, kFfmpegOpenSymbol) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        std::fprintf(stderr, "cannot load %s: %s; WMA files, mms:// addresses and coded WAVE files do not play.\n", path.c_str(),
                     why ? why : "entry point missing");
        return nullptr;
    }
    return reinterpret_cast<FfmpegOpenFunction>(entry);
}

}  // namespace

std::unique_ptr<Decoder> OpenWithFfmpeg(const std::string& location, const std::string& requiredFormat,
                                        std::shared_ptr<const NetworkDeadline> net) {
    static const FfmpegOpenFunction open = LoadFfmpeg();
    if (!open) return nullptr;
    return std::unique_ptr<Decoder>(open(location, requiredFormat, net));
}

}  // namespace tavora::audio
