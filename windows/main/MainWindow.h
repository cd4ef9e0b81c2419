#pragma once
// MainWindow: the player's face. A skinned window ("TavoraPlayer Main") with the LCD
// (time, total time, sample and bit rate, play/pause/stop, mono/stereo, playlist and
// equaliser lamps, spectrum, title strip with status messages), the transport and
// mode buttons and the position and volume sliders.
//
// It knows the player only through three narrow faces: it reads the playback through
// a PlaybackView when it paints, sends every user request as a command with its data
// through a CommandSink (volume, mute, seek, repeat and shuffle changes too), and
// follows the PlayerEvents (display refresh, timers, status texts, shutdown).
//
// The window loads the skin, composes the buttons and lamps and follows the window
// system; its parts do the rest:
// - MainLcd: the displays (digits, strip, spectrum, rates) and the areas they draw in;
// - MainRefresh: the display refresh and its timers (see there for the timers);
// - MainSliders: the position and volume sliders;
// - MainCommands: the menu, the key table, keys and wheel, the mode buttons' commands.
//
// Volume: the volume slider's travel is the channel volume in percent, on every
// skin (see PlaybackRules.h); the window sends its slider lengths (SetVolumeRange,
// SetPositionRange) whenever it loads a skin.
//
// GUI thread only.

#include <map>
#include <string>
#include <vector>

#include "CommandSink.h"
#include "MainCommands.h"
#include "MainDisplayRules.h"
#include "MainLcd.h"
#include "MainMenuIds.h"
#include "MainRefresh.h"
#include "MainSliders.h"
#include "ShutdownPhase.h"
#include "SkinIdentifiers.h"
#include "SkinnedWindow.h"

namespace tavora {

class PlaybackView;
class PlayerEvents;

class MainWindow : public SkinnedWindow {
    Q_OBJECT

public:
    // Chooses the start-up skin when none is current yet, loads it and sizes itself.
    MainWindow(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, QWidget* owner = nullptr);
    ~MainWindow() override;

    using enum MainRefresh::Timer;

    // Started by the controller at every stream start and resume.
    void StartTimers() { refresh_.StartTimers(); }
    void StopTimers() { refresh_.StopTimers(); }
    bool IsTimerActive(int id) const { return refresh_.IsTimerActive(id); }
    // Whether the shared wake-up of timers 1, 2 and 4 runs (off while hidden).
    bool Ticking() const { return refresh_.Ticking(); }
    // Invalidates whatever the display shows differently from the last paint.
    void RefreshDisplay() { refresh_.Refresh(); }
    // A command from the window's menu or accelerator table.
    void OnWindowCommand(MainMenuId id) { commands_.Run(id); }
    // The controller's volume and position tooltips feed the status texts.
    void SetVolumeText(const std::string& text) { status_.SetText(mainwin::StatusKind::Volume, text); }
    void SetSeekText(const std::string& text) { status_.SetText(mainwin::StatusKind::Seek, text); }
    // Writes the window's rectangle (at shutdown; the player saves its own modes).
    void SaveSettings();

    // The right-click menu's items and check marks (for the menu and its tests).
    bool MenuChecked(MainMenuId id) const { return commands_.Checked(id); }
    const std::map<int, MainMenuId>& accelerators() const { return commands_.accelerators(); }

    bool showElapsed() const { return lcd_.showElapsed(); }
    const mainwin::StatusBoard& status() const { return status_; }
    mainwin::FrequencyBars& spectrum() { return lcd_.spectrum(); }
    int titleX() const { return lcd_.titleX(); }
    const std::string* StatusText() const { return status_.Current(); }
    // Where an element is drawn (empty when it is not drawn).
    QRect PlacedRect(const std::string& id) { return lcd_.Placed(id, rect()); }
    QRect TimeClickArea() const { return lcd_.TimeClickArea(); }
    QRect PositionHotArea() const { return sliders_.PositionHotArea(); }
    QRect VolumeHotArea() const { return sliders_.VolumeHotArea(); }
    SkinElement& element(const std::string& id) { return skin_[id]; }
    // The text drawn on the strip: a status message or the title.
    QString StripText() const { return lcd_.StripText(); }

protected:
    void LoadSkin() override;
    void ComposeElements(QPainter& painter) override;
    void DrawOverlays(QPainter& painter) override { lcd_.DrawOverlays(painter, rect()); }
    void DrawAfterCompose(QPainter& painter) override { lcd_.DrawRates(painter); }
    bool ElementsKey(std::vector<int>& key) const override;
    bool IsOnControl(QPoint point) const override;
    bool SliderDragging() const override { return sliders_.Dragging(); }
    QRect BackgroundRect() const override;
    // The cursor is not tracked while the equaliser window slides.
    bool IsAnimating() const override { return EqualizerSliding(); }
    void OnPress(QPoint point) override;
    void OnMove(QPoint point) override { sliders_.Move(point); }
    void OnRelease(QPoint point) override;

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum Button { kPlay, kStop, kBack, kNext, kOpen, kMini, kClose, kList, kEqualizer, kRepeat, kShuffle, kMute };

    void RegisterButtons();
    bool EqualizerSliding() const;
    void Send(cmd::Command command, CommandData data = {}) { sink_.Send(command, std::move(data)); }
    void OnShutdownPhase(ShutdownPhase phase);
    void DrawButtonSet(QPainter& painter, const std::string& stem, int button);

    CommandSink& sink_;
    const PlaybackView& view_;
    PlayerEvents& events_;
    SkinElementSet skin_;
    mainwin::StatusBoard status_;
    // The parts refer to each other; each uses the others only after construction.
    MainSliders sliders_;
    MainLcd lcd_;
    MainRefresh refresh_;
    MainCommands commands_;
    bool timeAreaPressed_ = false;
};

}  // namespace tavora
