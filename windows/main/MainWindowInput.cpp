// The main window's input and window events: its buttons and their tooltips, the time
// display's click area, handing the sliders, keys, wheel and menu to their parts,
// moving along with the controller, showing and hiding, and its settings at shutdown.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QToolTip>
#include <QWheelEvent>

#include "Commands.h"
#include "MainWindow.h"
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
    add(kRepeat, "ID_BTREPEAT_OFF_DEFAULT", [this] { commands_.CycleRepeat(); });
    add(kShuffle, "ID_BTSHUFFLE_INORDER_DEFAULT", [this] { commands_.ToggleShuffle(); });
    add(kMute, "ID_BTSOUNDON_DEFAULT", [this] { commands_.ToggleMute(); });
}

bool MainWindow::EqualizerSliding() const {
    return events_.equalizerSliding();
}

// ---- Sliders and the time display ----

bool MainWindow::IsOnControl(QPoint point) const {
    return TimeClickArea().contains(point) || PositionHotArea().contains(point) || VolumeHotArea().contains(point);
}

void MainWindow::OnPress(QPoint point) {
    if (TimeClickArea().contains(point)) timeAreaPressed_ = true;
    sliders_.Press(point);
}

void MainWindow::OnRelease(QPoint point) {
    if (timeAreaPressed_) {
        timeAreaPressed_ = false;
        lcd_.ToggleElapsed();
        const std::string text = lcd_.showElapsed() ? "경과 시간 표시" : "남은 시간 표시";
        refresh_.ShowStatus(StatusKind::TimeMode, &text);
    }
    sliders_.Release(point);
}

// ---- Keys, wheel, menu, tooltips ----

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!commands_.RunKey(*event)) SkinnedWindow::keyPressEvent(event);
}

void MainWindow::wheelEvent(QWheelEvent* event) { commands_.Wheel(event->angleDelta().y()); }

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { commands_.ShowMenu(this, event->globalPos()); }

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

void MainWindow::showEvent(QShowEvent* event) {
    SkinnedWindow::showEvent(event);
    // The whole window is drawn now; compare the next refreshes with that.
    refresh_.Drawn();
    refresh_.UpdateTick();
}

void MainWindow::hideEvent(QHideEvent* event) {
    SkinnedWindow::hideEvent(event);
    refresh_.UpdateTick();
}

void MainWindow::changeEvent(QEvent* event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (refresh_.Showing()) refresh_.Drawn();
    refresh_.UpdateTick();
}

void MainWindow::SaveSettings() {
    const QRect r = geometry();
    const stored::WindowPlace places[] = {{"Main.Size.", r.left(), r.top(), r.width(), r.height()},
                                          {"Tavora.Size.", r.left(), r.top(), r.width(), r.height()}};
    stored::WriteWindowPlaces(places);
}

}  // namespace tavora
