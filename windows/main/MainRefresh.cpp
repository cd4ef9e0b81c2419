#include "MainRefresh.h"

#include <QTimerEvent>
#include <QWidget>

#include "PlaybackView.h"

namespace tavora {

using namespace mainwin;

MainRefresh::MainRefresh(QWidget& window, const PlaybackView& view, MainLcd& lcd, StatusBoard& status)
    : window_(window), view_(view), lcd_(lcd), status_(status) {}

MainRefresh::~MainRefresh() { StopTimers(); }

void MainRefresh::Refresh(bool barsMoved) {
    // A hidden window is drawn whole when it shows again.
    if (!Showing()) return;
    const MainLcd::Facts now = lcd_.CurrentFacts();
    QRegion region = lcd_.ChangedRegion(shown_, now);
    shown_ = now;
    // Bars drop at once when playback stops or pauses.
    if (barsMoved || (!view_.State().isPlaying && lcd_.spectrum().Reset())) region += lcd_.spectrumArea();
    if (!region.isEmpty()) window_.update(region);
}

void MainRefresh::OnDisplayEvent() {
    // The running tick refreshes within 30 ms anyway: one repaint for both.
    if (!tick_.isActive()) Refresh();
}

void MainRefresh::ShowStatus(StatusKind kind, const std::string* text, int ms) {
    if (text)
        status_.Show(kind, *text);
    else
        status_.Show(kind);
    statusTimer_.start(ms, this);
    Refresh();
}

bool MainRefresh::Showing() const { return window_.isVisible() && !window_.isMinimized(); }

void MainRefresh::UpdateTick() {
    const bool wanted = (running_[kTitleTimer] || running_[kSpectrumTimer] || running_[kDisplayTimer]) && Showing();
    if (wanted && !tick_.isActive())
        tick_.start(kDisplayPeriodMs, Qt::PreciseTimer, this);
    else if (!wanted)
        tick_.stop();
}

void MainRefresh::StartTimers() {
    static_assert(kTitlePeriodMs == kDisplayPeriodMs && kSpectrumPeriodMs == 3 * kDisplayPeriodMs,
                  "the shared tick drives the title, the bars and the fetch");
    running_[kTitleTimer] = running_[kSpectrumTimer] = running_[kDisplayTimer] = true;
    ticks_ = 0;
    tick_.stop();  // a new start restarts the period, as a restarted timer would
    UpdateTick();
    Refresh();
}

void MainRefresh::StopTimers() {
    for (bool& running : running_) running = false;
    tick_.stop();
    statusTimer_.stop();
}

bool MainRefresh::IsTimerActive(int id) const {
    if (id == kStatusTimer) return statusTimer_.isActive();
    return (id == kTitleTimer || id == kSpectrumTimer || id == kDisplayTimer) && running_[id];
}

void MainRefresh::timerEvent(QTimerEvent* event) {
    if (event->timerId() == statusTimer_.timerId()) {
        status_.ClearAll();
        statusTimer_.stop();
        Refresh();
        return;
    }
    if (event->timerId() == tick_.timerId()) {
        OnTick();
        return;
    }
    QObject::timerEvent(event);
}

void MainRefresh::OnTick() {
    if (!view_.State().isPlaying) {
        // Each timer stops itself once nothing plays; the display shows the stop.
        running_[kTitleTimer] = running_[kSpectrumTimer] = running_[kDisplayTimer] = false;
        tick_.stop();
        Refresh();
        return;
    }
    ++ticks_;
    if (running_[kTitleTimer]) lcd_.ScrollTitle();
    // The engine computes the FFT for the fetch: only for an analyser the skin shows.
    if (running_[kSpectrumTimer] && ticks_ % 3 == 0 && lcd_.AnalyserShown()) lcd_.FetchSpectrum();
    if (running_[kDisplayTimer]) Refresh(lcd_.spectrum().Step(true));
}

}  // namespace tavora
