#pragma once
// The playlist window as a feature: at its step of the start it is created with the
// player's command sink and events, placed below the main window and joined to the
// window set (its selection too); it takes the commands that need the list's selection
// or view ("List Del File", "List Select All", "Invalidate List"), follows the
// playback's events (scroll to the playing row, repaint) and saves its rectangle in
// the shutdown's Save phase.
//
// UI thread only.

namespace tavora {

struct PlayerContext;
class PlaylistWindow;

namespace playlist_window {

void Install(PlayerContext& context);

// The window joined to a context (what Install does at the playlist window's step).
PlaylistWindow* Create(PlayerContext& context);

}  // namespace playlist_window
}  // namespace tavora
