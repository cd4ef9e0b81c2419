#pragma once
// Joins the main window to the controller at its main-window step (the Application
// sets the hook): creates it at its saved place with the controller's command sink,
// playback view and events, and announces its rectangle so the controller and the
// playlist window follow it. The window saves its settings in the shutdown's Save
// phase by itself (it follows PlayerEvents::shutdownPhase).
//
// UI thread only.

namespace tavora {

class CTavoraPlayerDlg;
class MainWindow;

MainWindow* CreateMainWindow(CTavoraPlayerDlg& dlg);

}  // namespace tavora
