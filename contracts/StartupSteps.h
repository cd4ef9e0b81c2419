#pragma once
// The player's start, in the order it has always followed; features join it by
// registering what they do at a named step. Steps of one name run in the order they
// were registered. A step the build lacks is simply not registered.
//
// Threading: register before the player starts; steps run on the UI thread.

#include <functional>

namespace tavora {

enum class StartupStep : int {
    BeforeLibraries = 0,  // before the engine and helper modules load
    LoadLibraries,        // the engine and helper modules
    LibrariesLoaded,      // what is missing may be fetched now
    FindBand,             // the taskbar band's window
    StartUpdater,         // the background updater
    InitOutput,           // sound output (only with the right engine)
    CreateMainWindow,
    CreatePlaylistWindow,
    CreateEqualizerWindow,
    WindowsCreated,       // every window exists
    OpenMixer,            // the system mixer
    SettingsLoaded,       // the settings were read
    ShowWindows,          // what is to be shown comes out
    AddTrayIcon,          // the tray icon (features check the "no tray" setting)
};
inline constexpr int kStartupStepCount = static_cast<int>(StartupStep::AddTrayIcon) + 1;

class StartupSteps {
public:
    virtual ~StartupSteps() = default;
    virtual void AddStartupStep(StartupStep step, std::function<void()> run) = 0;
};

}  // namespace tavora
