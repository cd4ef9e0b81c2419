#pragma once
// Joins the desktop shell to the controller: the tray icon and the band
// (DesktopShell), the automation service and the MPRIS player on the session bus.
// Parts that find no desktop (no X11, no bus) stay quiet.
//
// UI thread; before the controller initialises.

namespace tavora {

class CTavoraPlayerDlg;

void InstallDesktopShell(CTavoraPlayerDlg& dlg);

}  // namespace tavora
