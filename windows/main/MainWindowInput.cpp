// The main window's input: its buttons, the sliders and the time display's click
// area, keys and the wheel, the right-click menu with the window's own commands,
// tooltips, moving along with the controller, and its settings at shutdown.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QToolTip>
#include <QWheelEvent>

#include "Commands.h"
#include "MainWindow.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "StoredValues.h"

namespace tavora {

using namespace mainwin;

namespace {

// Tooltips, in the order of their tool numbers 1 to 12.
struct Tool {
    int button;
    const char* text;
};

}  // namespace

void MainWindow::Send(cmd::Command command, CommandData data) { sink_.Send(command, std::move(data)); }

void MainWindow::OnShutdownPhase(ShutdownPhase phase) {
    if (phase == ShutdownPhase::StopPlayback) StopTimers();
    if (phase == ShutdownPhase::Save) SaveSettings();
}

void MainWindow::RegisterButtons() {
    SkinButtonGroup& b = buttons();
    auto add = [&](int expected, const char* hot, std::function<void()> click) {
        const int index = b.Add(skin_[hot], SkinHitRule::Rect, std::move(click));
        Q_ASSERT(index == expected);
        Q_UNUSED(index);
        Q_UNUSED(expected);
    };
    add(kPlay, "ID_BTPLAY_DEFAULT", [this] { Send(cmd::Play); });
    add(kStop, "ID_BTSTOP_DEFAULT", [this] {
        const PlaybackState& s = view_.State();
        if (!s.isPlaying && !s.isPaused) return;
        Send(cmd::Stop);
    });
    add(kBack, "ID_BTBACK_DEFAULT", [this] { Send(cmd::Back); });
    add(kNext, "ID_BTNEXT_DEFAULT", [this] { Send(cmd::Next); });
    add(kOpen, "ID_BTOPEN_DEFAULT", [this] { Send(cmd::OpenTotal); });
    add(kMini, "ID_BTMINI_DEFAULT", [this] { Send(cmd::Minimize); });
    add(kClose, "ID_BTCLOSE_DEFAULT", [this] { Send(cmd::Exit); });
    add(kList, "ID_BTPLON_DEFAULT", [this] { Send(cmd::ShowList); });
    add(kEqualizer, "ID_BTEQON_DEFAULT", [this] {
        // A click while the equaliser slides would reverse it half-way.
        if (EqualizerSliding()) return;
        Send(cmd::ShowEqualizer);
        RefreshDisplay();
    });
    add(kRepeat, "ID_BTREPEAT_OFF_DEFAULT", [this] { CycleRepeat(); });
    add(kShuffle, "ID_BTSHUFFLE_INORDER_DEFAULT", [this] { ToggleShuffle(); });
    add(kMute, "ID_BTSOUNDON_DEFAULT", [this] { ToggleMute(); });
}

bool MainWindow::EqualizerSliding() const {
    return events_.equalizerSliding();
}

void MainWindow::ShowStatus(StatusKind kind, const std::string* text, int ms) {
    if (text)
        status_.Show(kind, *text);
    else
        status_.Show(kind);
    statusTimer_.start(ms, this);
    RefreshDisplay();
}

void MainWindow::ToggleMute() {
    const bool mute = !view_.State().mute;
    const std::string text = mute ? "음소거 설정" : "음소거 해제";
    Send(cmd::SetMute, CommandData::Value(mute ? 1 : 0));
    ShowStatus(StatusKind::Mute, &text);
}

void MainWindow::SetRepeatMode(RepeatMode mode) { Send(cmd::SetRepeatMode, CommandData::Value(static_cast<int>(mode))); }

void MainWindow::CycleRepeat() {
    const PlaybackState& s = view_.State();
    const RepeatMode next = NextRepeatMode(RepeatModeOf(s.repeatOne, s.repeatAll));
    SetRepeatMode(next);
    const std::string text = RepeatStatusText(next);
    ShowStatus(StatusKind::Repeat, &text);
}

void MainWindow::ToggleShuffle() {
    const bool on = !view_.State().shuffle;
    const std::string text = on ? "랜덤 재생" : "순차 재생";
    ShowStatus(StatusKind::Shuffle, &text);
    // Turning it on draws a new order.
    Send(cmd::SetShuffle, CommandData::Value(on ? 1 : 0));
}

// ---- Sliders and the time display ----

QRect MainWindow::PositionHotArea() const {
    const SkinElement* full = timeSlider_.full;
    const SkinElement* thumb = timeSlider_.thumb;
    return QRect(QPoint(full->rect.left, thumb->rect.top),
                 QPoint(full->rect.right + thumb->Width - 1, thumb->rect.bottom - 1));
}

QRect MainWindow::VolumeHotArea() const {
    const SkinElement* full = volumeSlider_.full;
    return QRect(QPoint(full->rect.left, full->rect.top),
                 QPoint(full->rect.right + volumeSlider_.thumb->Width - 1, full->rect.bottom - 1));
}

bool MainWindow::IsOnControl(QPoint point) const {
    return timeArea_.contains(point) || PositionHotArea().contains(point) || VolumeHotArea().contains(point);
}

void MainWindow::OnPress(QPoint point) {
    const PlaybackState& s = view_.State();
    if (timeArea_.contains(point)) timeAreaPressed_ = true;
    if (PositionHotArea().contains(point) && (s.isPlaying || s.isPaused) && !s.isUrlStream) {
        timeSlider_.dragging = true;
        dragUnits_ = timeSlider_.SetFromX(point.x());
        Send(cmd::SeekDrag, CommandData::Value(1));  // the controller leaves the thumb alone meanwhile
        const std::string text = SeekTooltip(static_cast<long>(view_.PositionSeconds()));
        ShowStatus(StatusKind::Seek, &text);
    }
    if (VolumeHotArea().contains(point)) {
        volumeSlider_.dragging = true;
        // The controller un-mutes: taking the slider means the user wants to hear it.
        Send(cmd::SetVolume, CommandData::Value(volumeSlider_.SetFromX(point.x())));
        ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainWindow::OnMove(QPoint point) {
    const PlaybackState& s = view_.State();
    if (timeSlider_.dragging) {
        dragUnits_ = timeSlider_.SetFromX(point.x());
        const std::string text = SeekTooltip(SeekSecondsFromUnits(dragUnits_, s.lengthSeconds, timeSlider_.TrackWidth()));
        ShowStatus(StatusKind::Seek, &text);
    }
    if (volumeSlider_.dragging) {
        Send(cmd::SetVolume, CommandData::Value(volumeSlider_.SetFromX(point.x())));
        ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainWindow::OnRelease(QPoint point) {
    const PlaybackState& s = view_.State();
    if (timeAreaPressed_) {
        timeAreaPressed_ = false;
        showElapsed_ = !showElapsed_;
        const std::string text = showElapsed_ ? "경과 시간 표시" : "남은 시간 표시";
        ShowStatus(StatusKind::TimeMode, &text);
    }
    if (timeSlider_.dragging) {
        dragUnits_ = timeSlider_.SetFromX(point.x());
        timeSlider_.dragging = false;
        const long seconds = SeekSecondsFromUnits(dragUnits_, s.lengthSeconds, timeSlider_.TrackWidth());
        Send(cmd::SeekTo, CommandData::Value(static_cast<int>(seconds)));  // also lets go of the thumb
        RefreshDisplay();
    }
    volumeSlider_.dragging = false;
}

// ---- Keys, wheel, menu ----

void MainWindow::OnWindowCommand(MainMenuId id) {
    const PlaybackState& s = view_.State();
    switch (id) {
    case MainMenuId::SeekBack:
    case MainMenuId::SeekNext:
        Send(id == MainMenuId::SeekBack ? cmd::TenSecBack : cmd::TenSecNext);
        // Nothing to seek in: no message (it would be an old one).
        if ((s.isPlaying || s.isPaused) && !s.isUrlStream) ShowStatus(StatusKind::Seek, nullptr);
        return;
    case MainMenuId::VolumeUp:
    case MainMenuId::VolumeDown:
        Send(id == MainMenuId::VolumeUp ? cmd::VolumeUp : cmd::VolumeDown);
        ShowStatus(StatusKind::Volume, nullptr);
        return;
    case MainMenuId::RepeatNone: SetRepeatMode(RepeatMode::None); return;
    case MainMenuId::RepeatOne: SetRepeatMode(RepeatMode::One); return;
    case MainMenuId::RepeatAll: SetRepeatMode(RepeatMode::All); return;
    case MainMenuId::Shuffle: Send(cmd::SetShuffle, CommandData::Value(s.shuffle ? 0 : 1)); return;
    case MainMenuId::AlwaysTop:
        // The controller also remembers the choice for the next start.
        Send(cmd::SetAlwaysTop, CommandData::Value(s.alwaysTop ? 0 : 1));
        return;
    default: break;
    }
    if (const auto command = ControllerCommandFor(id)) Send(*command);
}

bool MainWindow::MenuChecked(MainMenuId id) const {
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

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const auto it = accelerators_.find(AcceleratorKey(event->keyCombination()));
    if (it != accelerators_.end()) {
        OnWindowCommand(it->second);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape: Send(cmd::Minimize); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: return;
    case Qt::Key_Space:
        // Held down, it would pause and resume over and over.
        if (!event->isAutoRepeat()) Send(cmd::Play);
        return;
    default: SkinnedWindow::keyPressEvent(event);
    }
}

void MainWindow::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    Send(delta < 0 ? cmd::VolumeDown : cmd::VolumeUp);
    ShowStatus(StatusKind::Volume, nullptr, StatusBoard::kWheelShowMs);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { ShowContextMenu(event->globalPos()); }

void MainWindow::ShowContextMenu(QPoint globalPos) {
    if (menu_.empty()) return;
    QMenu menu(this);
    FillMenu(menu, menu_.front(), [this](int id) { return MenuChecked(static_cast<MainMenuId>(id)); });
    const QAction* chosen = menu.exec(globalPos);
    if (chosen) OnWindowCommand(static_cast<MainMenuId>(chosen->data().toInt()));
}

bool MainWindow::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return SkinnedWindow::event(event);
    static constexpr Tool kTools[] = {{kMini, "최소화"},  {kPlay, "재생"},   {kMute, "음소거"},    {kRepeat, "반복재생"},
                                      {kShuffle, "랜덤재생"}, {kClose, "종료"},  {kBack, "이전곡"},   {kNext, "다음곡"},
                                      {kStop, "정지"},    {kOpen, "열기"},   {kList, "리스트"},   {kEqualizer, "이퀄라이저"}};
    const auto* help = static_cast<QHelpEvent*>(event);
    for (const Tool& tool : kTools) {
        const SkinRect r = buttons().Rect(tool.button);
        const QRect area(r.left, r.top, r.Width(), r.Height());
        if (area.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), QString::fromUtf8(tool.text), this, area);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

// ---- Window ----

void MainWindow::moveEvent(QMoveEvent* event) {
    SkinnedWindow::moveEvent(event);
    if (!isVisible()) return;
    Send(cmd::SetForeGround);
    // The controller follows to our top-left (its own move drags the docked windows);
    // the playlist window snaps to the new rectangle.
    events_.AnnounceMainWindowRect(frameGeometry());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    SkinnedWindow::resizeEvent(event);
    // Another skin, another size: the playlist window docks to the new edges.
    if (isVisible()) events_.AnnounceMainWindowRect(frameGeometry());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager (Alt+F4, the desktop's window list): the player exits.
    event->ignore();
    Send(cmd::Exit);
}

void MainWindow::SaveSettings() {
    const QRect r = geometry();
    const stored::WindowPlace places[] = {{"Main.Size.", r.left(), r.top(), r.width(), r.height()},
                                          {"Tavora.Size.", r.left(), r.top(), r.width(), r.height()}};
    stored::WriteWindowPlaces(places);
}

}  // namespace tavora
