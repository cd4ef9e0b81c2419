#pragma once
// MainCommands: the main window's own commands and the ways to give them: the
// right-click menu with its check marks, the shared key table, the keys and the wheel,
// and the repeat, shuffle and mute buttons. Each becomes a command with its data to
// the player; the ones that change a mode show their status message.
//
// GUI thread only.

#include <QPoint>

#include <map>
#include <string>
#include <vector>

#include "CommandSink.h"
#include "MainDisplayRules.h"
#include "MainMenuIds.h"
#include "MenuResources.h"

class QKeyEvent;
class QWidget;

namespace tavora {

class MainRefresh;
class PlaybackView;

class MainCommands {
public:
    MainCommands(CommandSink& sink, const PlaybackView& view, MainRefresh& refresh);

    // A command from the window's menu or key table.
    void Run(MainMenuId id);
    // The menu's check marks.
    bool Checked(MainMenuId id) const;
    const std::map<int, MainMenuId>& accelerators() const { return accelerators_; }
    // A key of the key table or one of the window's own; false for any other key.
    bool RunKey(const QKeyEvent& event);
    void Wheel(int delta);
    void ShowMenu(QWidget* owner, QPoint globalPos);

    void ToggleMute();
    void CycleRepeat();
    void ToggleShuffle();

private:
    void Send(cmd::Command command, CommandData data = {}) { sink_.Send(command, std::move(data)); }
    void SetRepeatMode(mainwin::RepeatMode mode);

    CommandSink& sink_;
    const PlaybackView& view_;
    MainRefresh& refresh_;
    std::map<int, MainMenuId> accelerators_;
    std::vector<MenuItem> menu_;
};

}  // namespace tavora
