#pragma once
// Joins the playlist window to the controller: creates it at the controller's
// playlist-window step, places it, and registers the commands that need the list's
// selection or view ("List Del File", "List Select All", "Invalidate List") and the
// playback callbacks that scroll and repaint the list. The window saves its
// rectangle in the controller's shutdown steps.
//
// GUI thread only; InstallPlaylistWindow() runs before the controller initialises.

namespace tavora {

class CTavoraPlayerDlg;
class PlaylistWindow;

void InstallPlaylistWindow();
PlaylistWindow* CreatePlaylistWindow(CTavoraPlayerDlg& dlg);

}  // namespace tavora
