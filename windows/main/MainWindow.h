#pragma once
// MainWindow: the player's face. A skinned window ("TavoraPlayer Main") with the LCD
// (time, total time, sample and bit rate, play/pause/stop, mono/stereo, playlist and
// equaliser lamps, spectrum, title strip with status messages), the transport and
// mode buttons and the position and volume sliders.
//
// It knows the player only through three narrow faces: it reads the playback through
// a PlaybackView when it paints, sends every user request as a command with its data
// through a CommandSink (volume, mute, seek, repeat and shuffle changes too), and
// follows the PlayerEvents (display refresh, timers, status texts, shutdown). The
// only thing it keeps itself is the elapsed/remaining mode of the time display.
//
// Repainting. Four timers keep the display moving while a song plays: 1 (30 ms)
// scrolls the title, 2 (90 ms) fetches the spectrum, 4 (30 ms) steps the spectrum
// bars and refreshes the displays, 3 ends a status message. Timers 1, 2 and 4 share
// one 30 ms wake-up (the fetch runs on every third), so the title and the bars move
// together in one repaint. Each refresh compares what the display would show with
// what it showed and invalidates only the areas that differ, so a paused or silent
// player does not repaint at all; the elements around the displays stay composed
// (see SkinnedWindow.h) and the title keeps its laid-out text. Timers 1, 2 and 4
// stop themselves once nothing plays. While the window is hidden or minimised the
// wake-up is off: nothing is fetched, stepped or refreshed until it shows again.
// Display events that come while the wake-up runs wait for its next tick.
//
// Volume: the volume slider's travel is the channel volume in percent, on every
// skin (see PlaybackRules.h); the window sends its slider lengths (SetVolumeRange,
// SetPositionRange) whenever it loads a skin.
//
// GUI thread only.

#include <QBasicTimer>
#include <QFont>

#include <map>
#include <string>
#include <vector>

#include "DigitDisplay.h"
#include "LineSlider.h"
#include "CommandSink.h"
#include "MainDisplayRules.h"
#include "MainMenuIds.h"
#include "MenuResources.h"
#include "SkinIdentifiers.h"
#include "ShutdownPhase.h"
#include "SkinnedWindow.h"
#include "FrequencyBars.h"
#include "TextLine.h"

namespace tavora {

class PlaybackView;
class PlayerEvents;

class MainWindow : public SkinnedWindow {
    Q_OBJECT

public:
    // Chooses the start-up skin when none is current yet, loads it and sizes itself.
    MainWindow(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, QWidget* owner = nullptr);
    ~MainWindow() override;

    enum Timer { kTitleTimer = 1, kSpectrumTimer = 2, kStatusTimer = 3, kDisplayTimer = 4 };
    static constexpr int kTitlePeriodMs = 30;
    static constexpr int kSpectrumPeriodMs = 90;
    static constexpr int kDisplayPeriodMs = 30;

    // Started by the controller at every stream start and resume.
    void StartTimers();
    void StopTimers();
    bool IsTimerActive(int id) const;
    // Whether the shared wake-up of timers 1, 2 and 4 runs (off while hidden).
    bool Ticking() const { return tick_.isActive(); }
    // Invalidates whatever the display shows differently from the last paint.
    void RefreshDisplay();
    // A command from the window's menu or accelerator table.
    void OnWindowCommand(MainMenuId id);
    // The controller's volume and position tooltips feed the status texts.
    void SetVolumeText(const std::string& text) { status_.SetText(mainwin::StatusKind::Volume, text); }
    void SetSeekText(const std::string& text) { status_.SetText(mainwin::StatusKind::Seek, text); }
    // Writes the window's rectangle (at shutdown; the player saves its own modes).
    void SaveSettings();

    // The right-click menu's items and check marks (for the menu and its tests).
    bool MenuChecked(MainMenuId id) const;
    const std::map<int, MainMenuId>& accelerators() const { return accelerators_; }

    bool showElapsed() const { return showElapsed_; }
    const mainwin::StatusBoard& status() const { return status_; }
    mainwin::FrequencyBars& spectrum() { return spectrum_; }
    int titleX() const { return titleX_; }
    const std::string* StatusText() const { return status_.Current(); }
    // Where an element is drawn (empty when it is not drawn).
    QRect PlacedRect(const std::string& id);
    QRect TimeClickArea() const { return timeArea_; }
    QRect PositionHotArea() const;
    QRect VolumeHotArea() const;
    SkinElement& element(const std::string& id) { return skin_[id]; }
    // The text drawn on the strip: a status message or the title.
    QString StripText() const;

protected:
    void LoadSkin() override;
    void ComposeElements(QPainter& painter) override;
    void DrawOverlays(QPainter& painter) override;
    void DrawAfterCompose(QPainter& painter) override;
    bool ElementsKey(std::vector<int>& key) const override;
    bool IsOnControl(QPoint point) const override;
    bool SliderDragging() const override { return timeSlider_.dragging || volumeSlider_.dragging; }
    QRect BackgroundRect() const override;
    // The cursor is not tracked while the equaliser window slides.
    bool IsAnimating() const override { return EqualizerSliding(); }
    void OnPress(QPoint point) override;
    void OnMove(QPoint point) override;
    void OnRelease(QPoint point) override;

    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
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
    // What the display shows; compared between refreshes.
    struct Facts {
        int channel = -1, lamp = -1, list = -1, eq = -1, repeat = -1, shuffle = -1, mute = -1;
        int elapsedMode = -1, timeSeconds = -1, totalSeconds = -1, positionPos = -1, volumePos = -1;
        QString stripText;
        int stripX = 0;
        int sampleRate = -1, bitrate = -1;
    };
    enum Button { kPlay, kStop, kBack, kNext, kOpen, kMini, kClose, kList, kEqualizer, kRepeat, kShuffle, kMute };

    // The areas each fact is drawn in, computed once per skin.
    struct Areas {
        QRegion channel, lamp, list, eq, repeat, shuffle, mute, time, total, position, volume, strip, spectrum, rates;
    };

    void RegisterButtons();
    void ComputeAreas();
    bool EqualizerSliding() const;
    void Send(cmd::Command command, CommandData data = {});
    void OnShutdownPhase(ShutdownPhase phase);
    // The position slider's thumb: where the user holds it while dragging.
    int PositionThumb() const;
    void ShowStatus(mainwin::StatusKind kind, const std::string* text, int ms = mainwin::StatusBoard::kShowMs);
    Facts CurrentFacts();
    // Invalidates what changed, and the spectrum when its bars moved.
    void RefreshDisplay(bool barsMoved);
    QRegion ChangedRegion(const Facts& now);
    QRect Placed(const std::string& id);
    // The slots' rectangles, each of the given size (or the slot's own when empty).
    QRect SlotsRect(std::initializer_list<const char*> ids, QSize size);
    void UpdateTitleMetrics();
    void UpdateBitrate();
    void DrawButtonSet(QPainter& painter, const std::string& stem, int button);
    void DrawTimeDisplay(QPainter& painter);
    void DrawStrip(QPainter& painter);
    void DrawSpectrum(QPainter& painter);
    void DrawRates(QPainter& painter);
    // On screen and not minimised: worth refreshing.
    bool Showing() const;
    // Runs the shared wake-up while a display timer runs and the window shows.
    void UpdateTick();
    void OnTick();
    // displayChanged and titleChanged: refresh now, or at the next tick.
    void OnDisplayEvent();
    // The skin draws the analyser: its ground and at least one bar.
    bool AnalyserShown() const;
    void FetchSpectrum();
    void ScrollTitle();
    void ToggleMute();
    void CycleRepeat();
    void ToggleShuffle();
    void SetRepeatMode(mainwin::RepeatMode mode);
    void ShowContextMenu(QPoint globalPos);

    CommandSink& sink_;
    const PlaybackView& view_;
    PlayerEvents& events_;
    SkinElementSet skin_;
    std::map<int, MainMenuId> accelerators_;
    std::vector<MenuItem> menu_;
    DigitSet nowDigits_, endDigits_, stateDigits_;
    Areas areas_;
    LineSlider timeSlider_;
    LineSlider volumeSlider_;
    mainwin::FrequencyBars spectrum_;
    mainwin::StatusBoard status_;
    QBasicTimer statusTimer_;
    QBasicTimer tick_;        // the wake-up of timers 1, 2 and 4
    bool running_[5] = {};    // whether timer 1, 2 or 4 runs
    int ticks_ = 0;
    QRect timeArea_;
    bool timeAreaPressed_ = false;
    int dragUnits_ = 0;  // the position slider's thumb while it is held
    bool showElapsed_ = true;
    QFont stripFont_;
    TextLine stripLine_;
    SkinElement* stripGround_ = nullptr;
    SkinElement* spectrumGround_ = nullptr;
    SkinElement* spectrumBar_ = nullptr;
    std::string titleSource_;  // the state's title that title_ was made from
    QString title_;
    int titleX_ = 0;
    int titleWidth_ = 0;
    uint32_t bitrateChannel_ = 0;
    int fileKbps_ = 0;
    Facts shown_;
};

}  // namespace tavora
