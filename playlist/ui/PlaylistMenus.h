#pragma once
// The playlist window's menus and accelerator table: the button menus "ADD", "DEL"
// and "LIST", the list's context menu "리스트 메뉴", and the keys the window turns into
// controller commands.
//
// GUI thread only (the builders create widgets); the tables themselves are constant.

#include <QKeySequence>

#include <functional>
#include <string_view>
#include <vector>

class QMenu;
class QWidget;

namespace tavora {

struct PlaylistMenuItem {
    const char* text;  // UTF-8
    int command;
};

// The items of a named menu; empty for an unknown name.
const std::vector<PlaylistMenuItem>& PlaylistMenuItems(std::string_view name);

// A popup menu whose items send their commands through `send`.
QMenu* BuildPlaylistMenu(std::string_view name, QWidget* owner, std::function<void(int)> send);

// Commands the window handles itself rather than forwarding.
inline constexpr int kAccelNothing = 0;     // in the table, but the window ignores it
inline constexpr int kAccelToggleTop = -1;  // Ctrl+T: toggle always-on-top, then "Always Top"

struct PlaylistAccelerator {
    QKeySequence key;
    int command;  // a controller command, kAccelNothing or kAccelToggleTop
};
const std::vector<PlaylistAccelerator>& PlaylistAccelerators();

}  // namespace tavora
