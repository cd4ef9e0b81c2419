#pragma once
// The playlist window's menus and accelerator table, kept as data under res/menus:
// menu 145 holds the button menus "ADD", "DEL" and "LIST", menu 146 the list's
// context menu "리스트 메뉴", accelerator table 153 the keys the window turns into
// controller commands (see MenuResources.h for the file format). Every item carries
// the command number it sends (CommandNumbers.h turns it into its command).
//
// GUI thread only (the builders create widgets).

#include <QKeySequence>

#include <functional>
#include <string_view>
#include <vector>

class QMenu;
class QWidget;

namespace tavora {

inline constexpr int kPlaylistButtonMenus = 145;
inline constexpr int kPlaylistContextMenu = 146;
inline constexpr int kPlaylistAccelerators = 153;

// A popup menu built from the named popup ("ADD", "DEL", "LIST" or "리스트 메뉴");
// choosing an item passes its command number to `send`. Empty for an unknown name.
QMenu* BuildPlaylistMenu(std::string_view name, QWidget* owner, std::function<void(int number)> send);

struct PlaylistAccelerator {
    QKeySequence key;
    int number;  // a command number (CommandNumbers.h)
};
const std::vector<PlaylistAccelerator>& PlaylistAccelerators();

}  // namespace tavora
