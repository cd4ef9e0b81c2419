#pragma once
// MainRefresh: the main window's display refresh and its timers.
//
// Four timers keep the display moving while a song plays: 1 (30 ms) scrolls the
// title, 2 (90 ms) fetches the spectrum, 4 (30 ms) steps the spectrum bars and
// refreshes the displays, 3 ends a status message. Timers 1, 2 and 4 share one 30 ms
// wake-up (the fetch runs on every third), so the title and the bars move together in
// one repaint. Each refresh compares what the display would show with what it showed
// and invalidates only the areas that differ, so a paused or silent player does not
// repaint at all. Timers 1, 2 and 4 stop themselves once nothing plays. While the
// window is hidden or minimised the wake-up is off: nothing is fetched, stepped or
// refreshed until it shows again. Display events that come while the wake-up runs
// wait for its next tick.
//
// GUI thread only.

#include <QBasicTimer>
#include <QObject>

#include <string>

#include "MainDisplayRules.h"
#include "MainLcd.h"

class QWidget;

namespace tavora {

class PlaybackView;

class MainRefresh : public QObject {
public:
    enum Timer { kTitleTimer = 1, kSpectrumTimer = 2, kStatusTimer = 3, kDisplayTimer = 4 };
    static constexpr int kTitlePeriodMs = 30;
    static constexpr int kSpectrumPeriodMs = 90;
    static constexpr int kDisplayPeriodMs = 30;

    MainRefresh(QWidget& window, const PlaybackView& view, MainLcd& lcd, mainwin::StatusBoard& status);
    ~MainRefresh() override;

    // Started at every stream start and resume.
    void StartTimers();
    void StopTimers();
    bool IsTimerActive(int id) const;
    // Whether the shared wake-up of timers 1, 2 and 4 runs (off while hidden).
    bool Ticking() const { return tick_.isActive(); }
    // Invalidates what changed, and the spectrum when its bars moved.
    void Refresh(bool barsMoved = false);
    // displayChanged and titleChanged: refresh now, or at the next tick.
    void OnDisplayEvent();
    void ShowStatus(mainwin::StatusKind kind, const std::string* text, int ms = mainwin::StatusBoard::kShowMs);

    // The window was drawn whole (shown, or restored): compare the next refreshes with that.
    void Drawn() { shown_ = lcd_.CurrentFacts(); }
    // A new skin: every display counts as changed.
    void Forget() { shown_ = MainLcd::Facts{}; }
    // On screen and not minimised: worth refreshing.
    bool Showing() const;
    // Runs the shared wake-up while a display timer runs and the window shows.
    void UpdateTick();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void OnTick();

    QWidget& window_;
    const PlaybackView& view_;
    MainLcd& lcd_;
    mainwin::StatusBoard& status_;
    QBasicTimer statusTimer_;
    QBasicTimer tick_;      // the wake-up of timers 1, 2 and 4
    bool running_[5] = {};  // whether timer 1, 2 or 4 runs
    int ticks_ = 0;
    MainLcd::Facts shown_;
};

}  // namespace tavora
