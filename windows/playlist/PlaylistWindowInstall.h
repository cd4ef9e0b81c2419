#pragma once
// Joins the playlist window to the controller at its playlist-window step (the
// Application sets the hook): creates it with the controller's command sink and
// events, places it, registers the commands that need the list's selection or view
// ("List Del File", "List Select All", "Invalidate List"), follows the playback's
// events (scroll to the playing row, repaint) and saves its rectangle in the
// shutdown's Save phase.
//
// UI thread only.

namespace tavora {

class CTavoraPlayerDlg;
class PlaylistWindow;

PlaylistWindow* CreatePlaylistWindow(CTavoraPlayerDlg& dlg);

}  // namespace tavora
