#pragma once
// The desktop shell as features. Parts that find no desktop (no X11, no bus) stay
// quiet.
//
// UI thread; before the player starts.

namespace tavora {

struct PlayerContext;

namespace desktop_shell {
// The tray icon and the band (DesktopShell.h), owned by the taskbar widget.
void Install(PlayerContext& context);
}  // namespace desktop_shell

namespace session_bus {
// The automation service and the MPRIS player on the session bus, and the file that
// lets the bus start the program for a client. Only the program itself installs this
// (a test that assembles a player must not take the names or write the file). Install
// it after the desktop shell: MPRIS "Raise" restores the player through it.
void Install(PlayerContext& context);
}  // namespace session_bus

}  // namespace tavora
