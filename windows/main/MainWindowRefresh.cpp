// The main window's display refresh and its timers: what changed since the last
// paint is invalidated, nothing else.
#include <QTimerEvent>

#include <algorithm>

#include "MainWindow.h"
#include "PlaybackView.h"

namespace tavora {

using namespace mainwin;

// ---- Refresh ----

MainWindow::Facts MainWindow::CurrentFacts() {
    const PlaybackState& s = view_.State();
    const bool active = s.isPlaying || s.isPaused;
    Facts f;
    f.channel = ChannelState(s.isPlaying, s.isPaused, s.isUrlStream, s.channelInfo.chans);
    f.lamp = static_cast<int>(PlayLampFor(s.isPlaying, s.isPaused));
    f.list = s.listShown;
    f.eq = s.equalizerShown;
    f.repeat = static_cast<int>(RepeatModeOf(s.repeatOne, s.repeatAll));
    f.shuffle = s.shuffle;
    f.mute = s.mute;
    f.elapsedMode = showElapsed_;
    f.timeSeconds = TimeDisplaySeconds(active, showElapsed_, active ? view_.PositionSeconds() : 0,
                                       s.lengthSeconds);
    f.totalSeconds = active ? static_cast<int>(s.lengthSeconds) : 0;
    f.positionPos = std::clamp(PositionThumb(), 0, std::max(timeSlider_.TrackWidth(), 0));
    f.volumePos = std::clamp(s.volume, 0, std::max(volumeSlider_.TrackWidth(), 0));
    UpdateTitleMetrics();
    f.stripText = StripText();
    const int stripWidth = stripGround_->Width;
    f.stripX = status_.Current() ? StatusDrawX(stripWidth) : TitleDrawX(stripWidth, titleWidth_, titleX_);
    if (active) {
        UpdateBitrate();
        f.sampleRate = SampleRateHz(s.isUrlStream, s.channelInfo.freq);
        f.bitrate = s.isUrlStream ? BitrateKbps(true, s.bitrateText, 0, 0) : fileKbps_;
    }
    return f;
}

QRegion MainWindow::ChangedRegion(const Facts& now) {
    const Facts& was = shown_;
    const Areas& a = areas_;
    QRegion region;
    if (now.channel != was.channel) region += a.channel;
    if (now.lamp != was.lamp) region += a.lamp;
    if (now.list != was.list) region += a.list;
    if (now.eq != was.eq) region += a.eq;
    if (now.repeat != was.repeat) region += a.repeat;
    if (now.shuffle != was.shuffle) region += a.shuffle;
    if (now.mute != was.mute) region += a.mute;
    if (now.elapsedMode != was.elapsedMode || now.timeSeconds != was.timeSeconds) region += a.time;
    if (now.totalSeconds != was.totalSeconds) region += a.total;
    if (now.positionPos != was.positionPos) region += a.position;
    if (now.volumePos != was.volumePos) region += a.volume;
    if (now.stripText != was.stripText || now.stripX != was.stripX) region += a.strip;
    if (now.sampleRate != was.sampleRate || now.bitrate != was.bitrate) region += a.rates;
    return region;
}

void MainWindow::RefreshDisplay() { RefreshDisplay(false); }

void MainWindow::RefreshDisplay(bool barsMoved) {
    // A hidden window is drawn whole when it shows again.
    if (!Showing()) return;
    const Facts now = CurrentFacts();
    QRegion region = ChangedRegion(now);
    shown_ = now;
    // Bars drop at once when playback stops or pauses.
    if (barsMoved || (!view_.State().isPlaying && spectrum_.Reset())) region += areas_.spectrum;
    if (!region.isEmpty()) update(region);
}

void MainWindow::OnDisplayEvent() {
    // The running tick refreshes within 30 ms anyway: one repaint for both.
    if (!tick_.isActive()) RefreshDisplay();
}

// ---- Timers ----

bool MainWindow::Showing() const { return isVisible() && !isMinimized(); }

void MainWindow::UpdateTick() {
    const bool wanted = (running_[kTitleTimer] || running_[kSpectrumTimer] || running_[kDisplayTimer]) && Showing();
    if (wanted && !tick_.isActive())
        tick_.start(kDisplayPeriodMs, Qt::PreciseTimer, this);
    else if (!wanted)
        tick_.stop();
}

void MainWindow::StartTimers() {
    static_assert(kTitlePeriodMs == kDisplayPeriodMs && kSpectrumPeriodMs == 3 * kDisplayPeriodMs,
                  "the shared tick drives the title, the bars and the fetch");
    running_[kTitleTimer] = running_[kSpectrumTimer] = running_[kDisplayTimer] = true;
    ticks_ = 0;
    tick_.stop();  // a new start restarts the period, as a restarted timer would
    UpdateTick();
    RefreshDisplay();
}

void MainWindow::StopTimers() {
    for (bool& running : running_) running = false;
    tick_.stop();
    statusTimer_.stop();
}

bool MainWindow::IsTimerActive(int id) const {
    if (id == kStatusTimer) return statusTimer_.isActive();
    return (id == kTitleTimer || id == kSpectrumTimer || id == kDisplayTimer) && running_[id];
}

void MainWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == statusTimer_.timerId()) {
        status_.ClearAll();
        statusTimer_.stop();
        RefreshDisplay();
        return;
    }
    if (event->timerId() == tick_.timerId()) {
        OnTick();
        return;
    }
    SkinnedWindow::timerEvent(event);
}

void MainWindow::OnTick() {
    if (!view_.State().isPlaying) {
        // Each timer stops itself once nothing plays; the display shows the stop.
        running_[kTitleTimer] = running_[kSpectrumTimer] = running_[kDisplayTimer] = false;
        tick_.stop();
        RefreshDisplay();
        return;
    }
    ++ticks_;
    if (running_[kTitleTimer]) ScrollTitle();
    // The engine computes the FFT for the fetch: only for an analyser the skin shows.
    if (running_[kSpectrumTimer] && ticks_ % 3 == 0 && AnalyserShown()) FetchSpectrum();
    if (running_[kDisplayTimer]) RefreshDisplay(spectrum_.Step(true));
}

void MainWindow::showEvent(QShowEvent* event) {
    SkinnedWindow::showEvent(event);
    // The whole window is drawn now; compare the next refreshes with that.
    shown_ = CurrentFacts();
    UpdateTick();
}

void MainWindow::hideEvent(QHideEvent* event) {
    SkinnedWindow::hideEvent(event);
    UpdateTick();
}

void MainWindow::changeEvent(QEvent* event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (Showing()) shown_ = CurrentFacts();
    UpdateTick();
}

void MainWindow::ScrollTitle() {
    UpdateTitleMetrics();
    titleX_ = NextTitleX(titleX_, stripGround_->Width, titleWidth_);
}

int MainWindow::PositionThumb() const {
    const PlaybackState& s = view_.State();
    if (s.isUrlStream) return 0;
    return timeSlider_.dragging ? dragUnits_ : s.positionUnits;
}

bool MainWindow::AnalyserShown() const {
    return spectrum_.dataBars() > 0 && !spectrumGround_->defaultBitmap.isNull() && !areas_.spectrum.isEmpty();
}

void MainWindow::FetchSpectrum() {
    static_assert(FrequencyBars::kBins == PlaybackView::kSpectrumBins);
    float magnitudes[FrequencyBars::kBins] = {};
    if (view_.Spectrum(magnitudes))
        spectrum_.Feed(magnitudes, FrequencyBars::kBins);
    else
        spectrum_.FetchFailed();
}

}  // namespace tavora
