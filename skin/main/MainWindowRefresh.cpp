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
    const int stripWidth = skin_["ID_LCD_MP3INFO_GROUND"].Width;
    f.stripX = status_.Current() ? StatusDrawX(stripWidth) : TitleDrawX(stripWidth, titleWidth_, titleX_);
    if (active) {
        UpdateBitrate();
        f.rates = SampleRateText(SampleRateHz(s.isUrlStream, s.channelInfo.freq)) +
                  BitrateText(s.isUrlStream ? BitrateKbps(true, s.bitrateText, 0, 0) : fileKbps_);
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
    if (now.rates != was.rates) region += a.rates;
    return region;
}

void MainWindow::RefreshDisplay() {
    const Facts now = CurrentFacts();
    QRegion region = ChangedRegion(now);
    shown_ = now;
    // Bars drop at once when playback stops or pauses.
    if (!view_.State().isPlaying && spectrum_.Reset()) region += areas_.spectrum;
    if (!region.isEmpty()) update(region);
}

// ---- Timers ----

void MainWindow::StartTimer(int id, int periodMs) { timers_[id].start(periodMs, Qt::PreciseTimer, this); }

void MainWindow::StartTimers() {
    StartTimer(kTitleTimer, kTitlePeriodMs);
    StartTimer(kSpectrumTimer, kSpectrumPeriodMs);
    StartTimer(kDisplayTimer, kDisplayPeriodMs);
    RefreshDisplay();
}

void MainWindow::StopTimers() {
    for (QBasicTimer& timer : timers_) timer.stop();
}

bool MainWindow::IsTimerActive(int id) const { return id >= 1 && id <= 4 && timers_[id].isActive(); }

void MainWindow::timerEvent(QTimerEvent* event) {
    int id = 0;
    for (int i = 1; i <= 4; ++i)
        if (timers_[i].timerId() == event->timerId()) id = i;
    if (!id) {
        SkinnedWindow::timerEvent(event);
        return;
    }
    const bool playing = view_.State().isPlaying != 0;
    switch (id) {
    case kTitleTimer:
        if (!playing) {
            timers_[id].stop();
            return;
        }
        ScrollTitle();
        break;
    case kSpectrumTimer:
        if (!playing) {
            timers_[id].stop();
            return;
        }
        FetchSpectrum();
        break;
    case kStatusTimer:
        status_.ClearAll();
        timers_[id].stop();
        RefreshDisplay();
        break;
    case kDisplayTimer:
        if (!playing) {
            timers_[id].stop();
            RefreshDisplay();
            return;
        }
        if (spectrum_.Step(true)) update(areas_.spectrum);
        RefreshDisplay();
        break;
    default: break;
    }
}

void MainWindow::ScrollTitle() {
    UpdateTitleMetrics();
    titleX_ = NextTitleX(titleX_, skin_["ID_LCD_MP3INFO_GROUND"].Width, titleWidth_);
}

int MainWindow::PositionThumb() const {
    const PlaybackState& s = view_.State();
    if (s.isUrlStream) return 0;
    return timeSlider_.dragging ? dragUnits_ : s.positionUnits;
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
