// The main window's input: its buttons, the sliders and the time display's click
// area, keys and the wheel, the right-click menu with the window's own commands,
// tooltips, moving along with the controller, and its settings at shutdown.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMoveEvent>
#include <QToolTip>
#include <QWheelEvent>

#include "Commands.h"
#include "MainWindow.h"
#include "PlaybackRules.h"
#include "PlaybackState.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

using namespace mainwin;

namespace {

// The window's own command numbers (menu 139 and accelerator table 152).
enum WindowCommand : int {
    kWinOpenFolder = 32772,
    kWinOpenFile = 32779,
    kWinOpenUrl = 32840,
    kWinBack = 32804,
    kWinNext = 32805,
    kWinPlay = 32806,
    kWinStop = 32807,
    kWinSeekBack = 32808,
    kWinSeekNext = 32809,
    kWinVolumeUp = 32810,
    kWinVolumeDown = 32811,
    kWinRepeatNone = 32852,
    kWinRepeatOne = 32853,
    kWinRepeatAll = 32854,
    kWinShuffle = 32851,
    kWinAlwaysTop = 32849,
    kWinSetting = 32841,
    kWinPlaylist = 32776,
    kWinEqualizer = 32777,
    kWinHomePage = 32866,
    kWinInfo = 32857,
    kWinExit = 32778,
    kWinOutFileCreate = 32787,
    kWinOpen = 32771,
    kWinFolder = 32820,
    kWinPlaySelected = 32781,
    kWinDeleteFile = 32773,
    kWinDeleteAll = 32774,
    kWinAddUrl = 32780,
    kWinListSave = 32815,
    kWinListLoad = 32816,
};

// Window commands that only pass a controller command on.
int ControllerCommandFor(int id) {
    switch (id) {
    case kWinOpenFile: return cmd::OpenTotal;
    case kWinOpenFolder: return cmd::OpenFolderPlay;
    case kWinOpenUrl: return cmd::OpenUrl;
    case kWinBack: return cmd::Back;
    case kWinPlay: return cmd::Play;
    case kWinStop: return cmd::Stop;
    case kWinNext: return cmd::Next;
    case kWinSetting: return cmd::Setting;
    case kWinPlaylist: return cmd::ShowList;
    case kWinEqualizer: return cmd::ShowEqualizer;
    case kWinHomePage: return cmd::HomePage;
    case kWinInfo: return cmd::InfoProgram;
    case kWinExit: return cmd::Exit;
    case kWinOutFileCreate: return cmd::OutFileCreate;
    case kWinOpen: return cmd::Open;
    case kWinFolder: return cmd::OpenFolder;
    case kWinPlaySelected: return cmd::PlayListSelect;
    case kWinDeleteFile: return cmd::ListDelFile;
    case kWinDeleteAll: return cmd::ListDelAll;
    case kWinAddUrl: return cmd::ListAddUrl;
    case kWinListSave: return cmd::ListSave;
    case kWinListLoad: return cmd::ListLoad;
    default: return 0;
    }
}

// Tooltips, in the order of their tool numbers 1 to 12.
struct Tool {
    int button;
    const char* text;
};

}  // namespace

void MainWindow::Send(int command) { dlg_.SendCommand(command); }

void MainWindow::RegisterButtons() {
    SkinButtonGroup& b = buttons();
    PlaybackState& s = dlg_.state();
    auto add = [&](int expected, const char* hot, std::function<void()> click) {
        const int index = b.Add(skin_[hot], SkinHitRule::Rect, std::move(click));
        Q_ASSERT(index == expected);
        Q_UNUSED(index);
        Q_UNUSED(expected);
    };
    add(kPlay, "ID_BTPLAY_DEFAULT", [this] { Send(cmd::Play); });
    add(kStop, "ID_BTSTOP_DEFAULT", [this, &s] {
        if (!s.isPlaying && !s.isPaused) return;
        s.isPlaying = s.isPaused = 0;
        RefreshDisplay();
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
    // The equaliser window says so through its "sliding" property.
    const QWidget* equalizer = dlg_.equalizerWindow();
    return equalizer && equalizer->property("sliding").toBool();
}

void MainWindow::ShowStatus(StatusKind kind, const std::string* text, int ms) {
    if (text)
        status_.Show(kind, *text);
    else
        status_.Show(kind);
    timers_[kStatusTimer].start(ms, this);
    RefreshDisplay();
}

void MainWindow::ToggleMute() {
    const bool mute = !dlg_.state().mute;
    const std::string text = mute ? "음소거 설정" : "음소거 해제";
    dlg_.playback().SetMute(mute);
    ShowStatus(StatusKind::Mute, &text);
}

void MainWindow::SetRepeatMode(RepeatMode mode) {
    PlaybackState& s = dlg_.state();
    s.repeatOff = mode == RepeatMode::None;
    s.repeatOne = mode == RepeatMode::One;
    s.repeatAll = mode == RepeatMode::All;
}

void MainWindow::CycleRepeat() {
    const PlaybackState& s = dlg_.state();
    const RepeatMode next = NextRepeatMode(RepeatModeOf(s.repeatOne, s.repeatAll));
    SetRepeatMode(next);
    const std::string text = RepeatStatusText(next);
    ShowStatus(StatusKind::Repeat, &text);
}

void MainWindow::ToggleShuffle() {
    PlaybackState& s = dlg_.state();
    s.shuffle = !s.shuffle;
    const std::string text = s.shuffle ? "랜덤 재생" : "순차 재생";
    ShowStatus(StatusKind::Shuffle, &text);
    if (s.shuffle) Send(cmd::Shuttle);
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
    PlaybackState& s = dlg_.state();
    if (timeArea_.contains(point)) timeAreaPressed_ = true;
    if (PositionHotArea().contains(point) && (s.isPlaying || s.isPaused) && !s.isUrlStream) {
        timeSlider_.dragging = true;
        s.isSeeking = 1;  // the controller leaves the thumb alone meanwhile
        s.positionUnits = timeSlider_.SetFromX(point.x());
        const std::string text = SeekTooltip(static_cast<long>(dlg_.playback().PositionSeconds()));
        ShowStatus(StatusKind::Seek, &text);
    }
    if (VolumeHotArea().contains(point)) {
        volumeSlider_.dragging = true;
        // Taking the slider while muted means the user wants to hear the new level.
        if (s.mute) s.mute = 0;
        dlg_.playback().SetVolume(volumeSlider_.SetFromX(point.x()));
        ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainWindow::OnMove(QPoint point) {
    PlaybackState& s = dlg_.state();
    if (timeSlider_.dragging) {
        s.positionUnits = timeSlider_.SetFromX(point.x());
        const std::string text =
            SeekTooltip(SeekSecondsFromUnits(s.positionUnits, s.lengthSeconds, timeSlider_.TrackWidth()));
        ShowStatus(StatusKind::Seek, &text);
    }
    if (volumeSlider_.dragging) {
        // SetVolume keeps a muted channel silent.
        dlg_.playback().SetVolume(volumeSlider_.SetFromX(point.x()));
        ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainWindow::OnRelease(QPoint point) {
    PlaybackState& s = dlg_.state();
    if (timeAreaPressed_) {
        timeAreaPressed_ = false;
        showElapsed_ = !showElapsed_;
        const std::string text = showElapsed_ ? "경과 시간 표시" : "남은 시간 표시";
        ShowStatus(StatusKind::TimeMode, &text);
    }
    if (timeSlider_.dragging) {
        timeSlider_.dragging = false;
        s.positionUnits = timeSlider_.SetFromX(point.x());
        dlg_.playback().SeekToSeconds(
            static_cast<double>(SeekSecondsFromUnits(s.positionUnits, s.lengthSeconds, timeSlider_.TrackWidth())));
        s.isSeeking = 0;
        RefreshDisplay();
    }
    volumeSlider_.dragging = false;
}

// ---- Keys, wheel, menu ----

void MainWindow::OnWindowCommand(int id) {
    PlaybackState& s = dlg_.state();
    switch (id) {
    case kWinSeekBack:
    case kWinSeekNext:
        Send(id == kWinSeekBack ? cmd::TenSecBack : cmd::TenSecNext);
        // Nothing to seek in: no message (it would be an old one).
        if ((s.isPlaying || s.isPaused) && !s.isUrlStream) ShowStatus(StatusKind::Seek, nullptr);
        return;
    case kWinVolumeUp:
    case kWinVolumeDown:
        Send(id == kWinVolumeUp ? cmd::VolumeUp : cmd::VolumeDown);
        ShowStatus(StatusKind::Volume, nullptr);
        return;
    case kWinRepeatNone: SetRepeatMode(RepeatMode::None); RefreshDisplay(); return;
    case kWinRepeatOne: SetRepeatMode(RepeatMode::One); RefreshDisplay(); return;
    case kWinRepeatAll: SetRepeatMode(RepeatMode::All); RefreshDisplay(); return;
    case kWinShuffle:
        s.shuffle = !s.shuffle;
        if (s.shuffle) Send(cmd::Shuttle);
        RefreshDisplay();
        return;
    case kWinAlwaysTop:
        // The controller's toggle also remembers the choice for the next start.
        Send(cmd::ToggleAlwaysTop);
        return;
    default: break;
    }
    if (const int command = ControllerCommandFor(id)) Send(command);
}

bool MainWindow::MenuChecked(int id) const {
    const PlaybackState& s = dlg_.state();
    const RepeatMode repeat = RepeatModeOf(s.repeatOne, s.repeatAll);
    switch (id) {
    case kWinPlaylist: return s.listShown;
    case kWinEqualizer: return s.equalizerShown;
    case kWinAlwaysTop: return s.alwaysTop;
    case kWinRepeatNone: return repeat == RepeatMode::None;
    case kWinRepeatOne: return repeat == RepeatMode::One;
    case kWinRepeatAll: return repeat == RepeatMode::All;
    case kWinShuffle: return s.shuffle;
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
    case Qt::Key_Space: Send(cmd::Play); return;
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
    FillMenu(menu, menu_.front(), [this](int id) { return MenuChecked(id); });
    const QAction* chosen = menu.exec(globalPos);
    if (chosen) OnWindowCommand(chosen->data().toInt());
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
    // The controller sits at our top-left; its own move drags the docked windows.
    dlg_.setGeometry(QRect(pos(), QSize(std::max(width(), 1), 1)));
    Send(cmd::GetRectMainDlg);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager (Alt+F4, the desktop's window list): the player exits.
    event->ignore();
    Send(cmd::Exit);
}

void MainWindow::SaveSettings() {
    const PlaybackState& s = dlg_.state();
    const QRect r = geometry();
    RegistryBatch batch;
    for (const char* prefix : {"Main.Size.", "Tavora.Size."}) {
        const std::string p = prefix;
        WriteRegDword(keys::kSize, p + "Left", r.left());
        WriteRegDword(keys::kSize, p + "Top", r.top());
        WriteRegDword(keys::kSize, p + "Right", r.left() + r.width());
        WriteRegDword(keys::kSize, p + "Bottom", r.top() + r.height());
    }
    WriteRegDword(keys::kView, "Equalizer", s.equalizerShown);
    WriteRegDword(keys::kView, "List", s.listShown);
    WriteRegDword(keys::kControl, "VolumeValue", s.volume);
    WriteRegDword(keys::kControl, "Mute", s.mute);
    WriteRegDword(keys::kControl, "RepeatOff", s.repeatOff);
    WriteRegDword(keys::kControl, "RepeatOne", s.repeatOne);
    WriteRegDword(keys::kControl, "RepeatAll", s.repeatAll);
    WriteRegDword(keys::kControl, "Shuttle", s.shuffle);
    WriteRegDword(keys::kControl, "Equalizer", s.equalizerOn);
}

}  // namespace tavora
