#include "AudioLibrary.h"

#include <dlfcn.h>

#include <algorithm>
#include <type_traits>
#include <vector>

#include "InstallFolder.h"

namespace tavora {
namespace {

// Calls op(name, slot) for each entry point the program takes from that module.
template <typename Op>
void ForEachEntryPoint(const std::string& fileName, BassFunctions& table, Op op) {
#define TAVORA_BASS_VISIT(ret, name, args) op(#name, table.name);
    if (fileName == kBassModule) {
        TAVORA_BASS_FUNCTIONS(TAVORA_BASS_VISIT)
    } else if (fileName == kBassFxModule) {
        TAVORA_BASS_FX_FUNCTIONS(TAVORA_BASS_VISIT)
    } else if (fileName == kBassCdModule) {
        TAVORA_BASS_CD_FUNCTIONS(TAVORA_BASS_VISIT)
    } else if (fileName == kBassWmaModule) {
        TAVORA_BASS_WMA_FUNCTIONS(TAVORA_BASS_VISIT)
    }
#undef TAVORA_BASS_VISIT
}

// The entry points the program looks up in the archive modules (tavora/archive_api.h,
// archive/ArchiveFunctions.h); a module without one of them cannot list its archives.
const std::vector<const char*>* ArchiveEntryPoints(const std::string& fileName) {
    static const std::vector<const char*> kZip = {"OpenZip", "GotoFirstFile", "GotoNextFile",
                                                  "GetFileInfo", "Unzip", "CloseZip", "UnzipEach"};
    static const std::vector<const char*> kRar = {"UnRar_list", "UnRar_extract", "UnRar_extract_each"};
    static const std::vector<const char*> kAlz = {"UnAlzOpen", "UnAlzGetFileList", "UnAlzSetCurrentFile",
                                                  "UnAlzExtractCurrentFile", "GetszDestFileName",
                                                  "GetszDestPathFileName", "UnAlzClose"};
    return fileName == kUnZipModule        ? &kZip
           : fileName == kUnRarModule      ? &kRar
           : fileName == kUnAlzipperModule ? &kAlz
                                           : nullptr;
}

bool HasArchiveEntryPoints(const std::string& fileName, void* handle) {
    const std::vector<const char*>* names = ArchiveEntryPoints(fileName);
    if (!names) return true;
    return std::all_of(names->begin(), names->end(), [handle](const char* name) { return dlsym(handle, name) != nullptr; });
}

}  // namespace

AudioLibrary::~AudioLibrary() { UnloadAll(); }

void AudioLibrary::Load() {
    missing_.clear();
    const std::string folder = InstallFolder();
    systemFolder_ = folder.empty() ? std::string() : folder + "/system";
    if (LoadModule(kBassModule)) LoadBassSiblings();
    for (const char* name : {kUnZipModule, kUnRarModule, kUnAlzipperModule, kDeskbandModule}) LoadModule(name);
}

void AudioLibrary::LoadBassSiblings() {
    for (const char* name : {kBassFxModule, kBassCdModule, kBassWmaModule}) LoadModule(name);
}

void AudioLibrary::RetryMissing() {
    const std::vector<std::string> again = std::move(missing_);
    missing_.clear();
    for (const auto& name : again) {
        const bool loaded = LoadModule(name);
        // The siblings were never tried while "bass.so" was missing.
        if (loaded && name == kBassModule) LoadBassSiblings();
    }
}

bool AudioLibrary::LoadModule(const std::string& fileName) {
    if (IsLoaded(fileName)) return true;
    void* handle = nullptr;
    if (!systemFolder_.empty()) handle = dlopen((systemFolder_ + "/" + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    // A module that lacks an entry point the program calls is as good as missing:
    // calling through a null pointer would crash the player.
    if (handle && !(HasArchiveEntryPoints(fileName, handle) && ResolveEngine(fileName, handle))) {
        dlclose(handle);
        handle = nullptr;
    }
    if (!handle) {
        if (std::find(missing_.begin(), missing_.end(), fileName) == missing_.end()) missing_.push_back(fileName);
        return false;
    }
    modules_.push_back({fileName, handle});
    return true;
}

bool AudioLibrary::ResolveEngine(const std::string& fileName, void* handle) {
    BassFunctions table = bass_;
    bool ok = true;
    ForEachEntryPoint(fileName, table, [&](const char* name, auto& slot) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle, name));
        ok = ok && slot != nullptr;
    });
    if (ok) bass_ = table;
    return ok;
}

std::vector<std::string> AudioLibrary::EntryPointNames(const std::string& fileName) {
    std::vector<std::string> names;
    BassFunctions unused;
    ForEachEntryPoint(fileName, unused, [&](const char* name, auto&) { names.push_back(name); });
    if (const std::vector<const char*>* archive = ArchiveEntryPoints(fileName))
        names.insert(names.end(), archive->begin(), archive->end());
    return names;
}

bool AudioLibrary::EngineLoaded() const {
    return IsLoaded(kBassModule) && IsLoaded(kBassFxModule) && IsLoaded(kBassCdModule) && IsLoaded(kBassWmaModule);
}

bool AudioLibrary::IsLoaded(const std::string& fileName) const { return Find(fileName) != nullptr; }

bool AudioLibrary::VersionMatches() const {
    return bass_.BASS_GetVersion && bass_.BASS_GetVersion() == kExpectedBassVersion;
}

void* AudioLibrary::Symbol(const std::string& fileName, const char* name) const {
    const Module* module = Find(fileName);
    return module ? dlsym(module->handle, name) : nullptr;
}

void AudioLibrary::Unload(const std::string& fileName) {
    auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) { return m.fileName == fileName; });
    if (it == modules_.end()) return;
    // A running output thread must not outlive the code it runs.
    if (fileName == kBassModule && bass_.BASS_Free) bass_.BASS_Free();
    // The engine's entry points die with their module.
    ForEachEntryPoint(fileName, bass_, [](const char*, auto& slot) { slot = nullptr; });
    dlclose(it->handle);
    modules_.erase(it);
}

void AudioLibrary::UnloadAll() {
    // Siblings first: they hold references into "bass.so".
    while (!modules_.empty()) Unload(modules_.back().fileName);
}

AudioLibrary::Module* AudioLibrary::Find(const std::string& fileName) {
    auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) { return m.fileName == fileName; });
    return it == modules_.end() ? nullptr : &*it;
}

const AudioLibrary::Module* AudioLibrary::Find(const std::string& fileName) const {
    return const_cast<AudioLibrary*>(this)->Find(fileName);
}

}  // namespace tavora
