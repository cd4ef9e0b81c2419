#pragma once
// Joins the equaliser window to the controller at its step of the initialisation (the
// Application sets the hook): creates it with the controller's command sink, the
// playback's sound effects and the events, restores the stored gains, and takes the
// Show Equalizer command (the slide), the start-up slide-out and the command that
// opens the DSP effect dialog. The window follows
// the main window's rectangle and saves its values in the shutdown's Save phase.
//
// UI thread only.

namespace tavora {

class CTavoraPlayerDlg;
class EqualizerWindow;

EqualizerWindow* CreateEqualizerWindow(CTavoraPlayerDlg& dlg);

}  // namespace tavora
