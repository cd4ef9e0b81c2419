#pragma once
// Joins the tag editors to the controller (the Application calls it once the playlist
// window exists): registers "Show File Info (mp3)", "Update Tag" and "Get List Item",
// repaints the list when a row is re-titled, shows the tag readers' messages
// (TagMessageBoxes.h), and closes the editors when the player closes.
//
// UI thread only.

#include <functional>
#include <vector>

class QWidget;

namespace tavora {

class CTavoraPlayerDlg;
class TagEditors;

// `selectedRows` gives the playlist window's selected rows; the dialogs are owned by
// (and shown over) `dialogParent`.
TagEditors* InstallTagEditors(CTavoraPlayerDlg& dlg, std::function<std::vector<int>()> selectedRows,
                              QWidget* dialogParent);

}  // namespace tavora
