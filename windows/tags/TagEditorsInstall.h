#pragma once
// The tag editors as a feature: once the playlist window exists they open on its
// selected rows, shown over it; they take "Show File Info (mp3)", "Update Tag" and
// "Get List Item", repaint the list when a row is re-titled, show the tag readers'
// messages (TagMessageBoxes.h), and close when the player closes.
//
// UI thread only.

class QWidget;

namespace tavora {

struct PlayerContext;
class TagEditors;

namespace tag_editors {

void Install(PlayerContext& context);

// The editors on a context, with the dialogs owned by (and shown over) `dialogParent`
// (what Install does at the playlist window's step).
TagEditors* Create(PlayerContext& context, QWidget* dialogParent);

}  // namespace tag_editors
}  // namespace tavora
