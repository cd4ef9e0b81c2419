#include "MainCommands.h"

#include <QKeyEvent>
#include <QMenu>

#include "MainRefresh.h"
#include "PlaybackView.h"
#include "SharedKeys.h"

namespace tavora {

using namespace mainwin;

MainCommands::MainCommands(CommandSink& sink, const PlaybackView& view, MainRefresh& refresh)
    : sink_(sink), view_(view), refresh_(refresh) {
    for (const auto& [key, id] : LoadAcceleratorTable(152)) accelerators_[key] = static_cast<MainMenuId>(id);
    menu_ = LoadMenuResource(139);
}

void MainCommands::Run(MainMenuId id) {
    const PlaybackState& s = view_.State();
    switch (id) {
    case MainMenuId::SeekBack:
    case MainMenuId::SeekNext:
        Send(id == MainMenuId::SeekBack ? cmd::TenSecBack : cmd::TenSecNext);
        // Nothing to seek in: no message (it would be an old one).
        if ((s.isPlaying || s.isPaused) && !s.isUrlStream) refresh_.ShowStatus(StatusKind::Seek, nullptr);
        return;
    case MainMenuId::VolumeUp:
    case MainMenuId::VolumeDown:
        Send(id == MainMenuId::VolumeUp ? cmd::VolumeUp : cmd::VolumeDown);
        refresh_.ShowStatus(StatusKind::Volume, nullptr);
        return;
    case MainMenuId::RepeatNone: SetRepeatMode(RepeatMode::None); return;
    case MainMenuId::RepeatOne: SetRepeatMode(RepeatMode::One); return;
    case MainMenuId::RepeatAll: SetRepeatMode(RepeatMode::All); return;
    case MainMenuId::Shuffle: Send(cmd::SetShuffle, CommandData::Value(s.shuffle ? 0 : 1)); return;
    case MainMenuId::AlwaysTop:
        // The controller's toggle also remembers the choice for the next start.
        Send(cmd::SetAlwaysTop, CommandData::Value(s.alwaysTop ? 0 : 1));
        return;
    default: break;
    }
    if (const auto command = ControllerCommandFor(id)) Send(*command);
}

bool MainCommands::Checked(MainMenuId id) const {
    const PlaybackState& s = view_.State();
    const RepeatMode repeat = RepeatModeOf(s.repeatOne, s.repeatAll);
    switch (id) {
    case MainMenuId::Playlist: return s.listShown;
    case MainMenuId::Equalizer: return s.equalizerShown;
    case MainMenuId::AlwaysTop: return s.alwaysTop;
    case MainMenuId::RepeatNone: return repeat == RepeatMode::None;
    case MainMenuId::RepeatOne: return repeat == RepeatMode::One;
    case MainMenuId::RepeatAll: return repeat == RepeatMode::All;
    case MainMenuId::Shuffle: return s.shuffle;
    default: return false;
    }
}

bool MainCommands::RunKey(const QKeyEvent& event) {
    const auto it = accelerators_.find(AcceleratorKey(event.keyCombination()));
    if (it != accelerators_.end()) {
        Run(it->second);
        return true;
    }
    switch (event.key()) {
    case Qt::Key_Escape: Send(cmd::Minimize); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: return true;
    default: return RunSharedKey(event, &sink_);
    }
}

void MainCommands::Wheel(int delta) {
    if (delta == 0) return;
    Send(delta < 0 ? cmd::VolumeDown : cmd::VolumeUp);
    refresh_.ShowStatus(StatusKind::Volume, nullptr, StatusBoard::kWheelShowMs);
}

void MainCommands::ShowMenu(QWidget* owner, QPoint globalPos) {
    if (menu_.empty()) return;
    QMenu menu(owner);
    FillMenu(menu, menu_.front(), [this](int id) { return Checked(static_cast<MainMenuId>(id)); });
    const QAction* chosen = menu.exec(globalPos);
    if (chosen) Run(static_cast<MainMenuId>(chosen->data().toInt()));
}

void MainCommands::ToggleMute() {
    const bool mute = !view_.State().mute;
    const std::string text = mute ? "음소거 설정" : "음소거 해제";
    Send(cmd::SetMute, CommandData::Value(mute ? 1 : 0));
    refresh_.ShowStatus(StatusKind::Mute, &text);
}

void MainCommands::SetRepeatMode(RepeatMode mode) { Send(cmd::SetRepeatMode, CommandData::Value(static_cast<int>(mode))); }

void MainCommands::CycleRepeat() {
    const PlaybackState& s = view_.State();
    const RepeatMode next = NextRepeatMode(RepeatModeOf(s.repeatOne, s.repeatAll));
    SetRepeatMode(next);
    const std::string text = RepeatStatusText(next);
    refresh_.ShowStatus(StatusKind::Repeat, &text);
}

void MainCommands::ToggleShuffle() {
    const bool on = !view_.State().shuffle;
    const std::string text = on ? "랜덤 재생" : "순차 재생";
    refresh_.ShowStatus(StatusKind::Shuffle, &text);
    // Turning it on draws a new order.
    Send(cmd::SetShuffle, CommandData::Value(on ? 1 : 0));
}

}  // namespace tavora
