#pragma once
// The main window as a feature: at the main-window step of the start it is created at
// the main window's saved place with the player's command sink, playback view and
// events, joins the window set and announces its rectangle, so the taskbar widget and
// the playlist window follow it. The window saves its settings in the shutdown's Save
// phase by itself (it follows PlayerEvents::shutdownPhase).
//
// UI thread only.

namespace tavora {

struct PlayerContext;

namespace main_window {

void Install(PlayerContext& context);

}  // namespace main_window
}  // namespace tavora
