#pragma once
// The program's side of the audio modules: loads "bass.so" and its siblings from the
// install folder's "system" folder at run time, then the archive modules and the
// taskbar-band module, and keeps the engine's entry points in one table.
//
// A file that cannot be loaded (absent, not a library, or lacking one of the entry
// points the program calls) is put on the missing-files list, in load order; the
// siblings of "bass.so" are only tried once "bass.so" itself is loaded.
//
// Threading: the user-interface thread only. The table's functions themselves may be
// called from any thread (see tavora/bass_api.h).

#include <string>
#include <vector>

#include "tavora/bass_api.h"

namespace tavora {

inline constexpr const char* kBassModule = "bass.so";
inline constexpr const char* kBassFxModule = "bass_fx.so";
inline constexpr const char* kBassCdModule = "basscd.so";
inline constexpr const char* kBassWmaModule = "basswma.so";
inline constexpr const char* kUnZipModule = "UnZip.so";
inline constexpr const char* kUnRarModule = "UnRar.so";
inline constexpr const char* kUnAlzipperModule = "UnAlzipper.so";
inline constexpr const char* kDeskbandModule = "deskband.so";

// The version the program is written for (BASS_GetVersion) and the message box shown
// when another one is loaded.
inline constexpr DWORD kExpectedBassVersion = BASS_VERSION_EXPECTED;
inline constexpr const char* kBassVersionMessage = "BASS version 2.1 was not loaded!";
inline constexpr const char* kBassVersionCaption = "Incorrect BASS.DLL";

// Entry points of the four engine modules; null until their module is loaded.
struct BassFunctions {
#define TAVORA_BASS_MEMBER(ret, name, args) PFN_##name name = nullptr;
    TAVORA_BASS_FUNCTIONS(TAVORA_BASS_MEMBER)
    TAVORA_BASS_FX_FUNCTIONS(TAVORA_BASS_MEMBER)
    TAVORA_BASS_CD_FUNCTIONS(TAVORA_BASS_MEMBER)
    TAVORA_BASS_WMA_FUNCTIONS(TAVORA_BASS_MEMBER)
#undef TAVORA_BASS_MEMBER
};

class AudioLibrary {
public:
    AudioLibrary() = default;
    ~AudioLibrary();
    AudioLibrary(const AudioLibrary&) = delete;
    AudioLibrary& operator=(const AudioLibrary&) = delete;

    // Loads everything from <install folder>/system; the missing-files list starts afresh.
    void Load();
    // Tries each missing file once more (after the required-file download); the list
    // then holds what is still missing. When "bass.so" loads now, its siblings are
    // tried as well.
    void RetryMissing();
    const std::vector<std::string>& MissingFiles() const { return missing_; }

    // True when all four engine modules are loaded with every entry point.
    bool EngineLoaded() const;
    bool IsLoaded(const std::string& fileName) const;
    // BASS_GetVersion() == kExpectedBassVersion; false without "bass.so".
    bool VersionMatches() const;

    const BassFunctions& Bass() const { return bass_; }
    // Replaces the table (tests put a failing entry in place of a real one). UI thread,
    // while no worker uses the engine.
    void ReplaceBass(const BassFunctions& table) { bass_ = table; }
    // The entry points the program takes from a module (empty for the band module): a
    // module lacking one of them counts as missing. The download check asks for the
    // same (update/LibraryCheck.h).
    static std::vector<std::string> EntryPointNames(const std::string& fileName);
    // A symbol of a loaded module (archive and band modules), nullptr otherwise.
    void* Symbol(const std::string& fileName, const char* name) const;

    // Unloads one module (the band module after the download) or all of them.
    void Unload(const std::string& fileName);
    void UnloadAll();

private:
    struct Module {
        std::string fileName;
        void* handle = nullptr;
    };
    bool LoadModule(const std::string& fileName);
    bool ResolveEngine(const std::string& fileName, void* handle);
    void LoadBassSiblings();
    Module* Find(const std::string& fileName);
    const Module* Find(const std::string& fileName) const;

    std::string systemFolder_;
    std::vector<Module> modules_;
    std::vector<std::string> missing_;
    BassFunctions bass_;
};

}  // namespace tavora
