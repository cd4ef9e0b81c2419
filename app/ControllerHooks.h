#pragma once
// The places where subsystems join the controller's initialisation. The controller
// owns one set (CTavoraPlayerDlg::hooks()); the engine steps are filled by the
// controller itself, the window steps by the Application that assembles the player.
// An unset hook is a step the build lacks.
//
// Threading: set before the controller initialises; called on the UI thread.

#include <functional>

namespace tavora {

class CTavoraPlayerDlg;

struct ControllerHooks {
    using Step = std::function<void(CTavoraPlayerDlg&)>;

    Step loadLibraries;                                  // engine and helper modules
    Step findBand;                                       // the taskbar band's window
    Step startUpdater;                                   // the background updater
    std::function<bool(CTavoraPlayerDlg&)> checkEngineVersion;  // false: no windows at all
    Step initOutput;                                     // sound output
    Step createMainWindow;
    Step createPlaylistWindow;
    Step createEqualizerWindow;
    Step openMixer;
    Step settingsLoaded;                                 // settings were read into the state
    Step slideEqualizerOut;
    Step addTrayIcon;
    // The saved playlist, restored on a worker; `then` (if set) runs on the UI thread
    // once every saved row is in the list.
    std::function<void(CTavoraPlayerDlg&, std::function<void()> then)> restorePlaylist;
};

}  // namespace tavora
