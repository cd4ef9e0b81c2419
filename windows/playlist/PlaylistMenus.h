#pragma once
// The playlist window's menus and accelerator table, kept as data under res/menus:
// menu 145 holds the button menus "ADD", "DEL" and "LIST", menu 146 the list's
// context menu "리스트 메뉴", accelerator table 153 the keys the window turns into
// controller commands (see MenuResources.h for the file format). Every item carries
// the controller command it sends: the files' numbers are controller commands.
//
// GUI thread only (the builders create widgets).

#include <QKeySequence>

#include <functional>
#include <string_view>
#include <vector>

#include "Commands.h"

class QMenu;
class QWidget;

namespace tavora {

inline constexpr int kPlaylistButtonMenus = 145;
inline constexpr int kPlaylistContextMenu = 146;
inline constexpr int kPlaylistAccelerators = 153;

// A popup menu built from the named popup ("ADD", "DEL", "LIST" or "리스트 메뉴");
// choosing an item sends its command through `send`. Empty for an unknown name.
QMenu* BuildPlaylistMenu(std::string_view name, QWidget* owner, std::function<void(cmd::Command)> send);

struct PlaylistAccelerator {
    QKeySequence key;
    cmd::Command command;
};
const std::vector<PlaylistAccelerator>& PlaylistAccelerators();

}  // namespace tavora
