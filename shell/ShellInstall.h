#pragma once
// Joins the desktop shell to the controller. Parts that find no desktop (no X11, no
// bus) stay quiet.
//
// UI thread; before the controller initialises.

#include <string>

namespace tavora {

class CTavoraPlayerDlg;
class DesktopShell;

// The tray icon and the band (owned by the controller).
DesktopShell& InstallDesktopShell(CTavoraPlayerDlg& dlg);

// The automation service and the MPRIS player on the session bus, and the file that
// lets the bus start `programPath` for a client. Only the program itself does this
// (a test that assembles a player must not take the names or write the file).
void PublishOnSessionBus(CTavoraPlayerDlg& dlg, DesktopShell& shell, const std::string& programPath);

}  // namespace tavora
