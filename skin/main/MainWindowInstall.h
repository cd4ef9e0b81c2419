#pragma once
// Plugs the main window into the controller's initialisation: creates it at its
// saved place, lets the playback reach it (display refresh, its timers, the volume
// and position texts) and saves its settings when the player shuts down.
//
// Call once, on the UI thread, before the controller initialises.

namespace tavora {

void InstallMainWindow();

}  // namespace tavora
