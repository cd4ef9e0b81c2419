#include "MainLcd.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <vector>

#include "DrawElement.h"
#include "MainSliders.h"
#include "PlaybackView.h"
#include "SkinFonts.h"

namespace tavora {

using namespace mainwin;

namespace {

constexpr const char* kElapsedSlots[] = {"ID_NOWTIME_MINLEFT", "ID_NOWTIME_MINRIGHT", "ID_NOWTIME_SECLEFT",
                                         "ID_NOWTIME_SECRIGHT"};
constexpr const char* kRemainingSlots[] = {"ID_NOWTIME_MINLEFT_MINUS", "ID_NOWTIME_MINRIGHT_MINUS",
                                           "ID_NOWTIME_SECLEFT_MINUS", "ID_NOWTIME_SECRIGHT_MINUS"};
constexpr const char* kEndSlots[] = {"ID_ENDTIME_MINLEFT", "ID_ENDTIME_MINRIGHT", "ID_ENDTIME_SECLEFT",
                                     "ID_ENDTIME_SECRIGHT"};
constexpr const char* kKhzSlots[] = {"ID_KHZHUNDRED", "ID_KHZTEN", "ID_KHZONE"};
constexpr const char* kKbpsSlots[] = {"ID_KBPSHUNDRED", "ID_KBPSTEN", "ID_KBPSONE"};

DigitSet Digits(SkinElementSet& set, const std::string& stem) {
    DigitSet digits;
    for (int d = 0; d <= 9; ++d) digits[static_cast<size_t>(d)] = set[stem + std::to_string(d)];
    return digits;
}

// Everything the slider may cover: its rectangles and its pictures where they are drawn.
QRect SliderArea(const LineSlider& slider) {
    if (!slider.full || !slider.thumb || !slider.empty) return {};
    int top = INT_MAX, bottom = INT_MIN, width = slider.TrackWidth() + slider.ThumbWidth();
    for (const SkinElement* e : {slider.full, slider.thumb, slider.empty}) {
        top = std::min(top, e->rect.top);
        bottom = std::max({bottom, e->rect.bottom, e->rect.top + e->defaultBitmap.height()});
    }
    width = std::max(width, slider.TrackWidth() + slider.thumb->defaultBitmap.width());
    return QRect(slider.TrackLeft(), top, width, bottom - top);
}

// The largest digit picture of the set.
QSize DigitSize(const DigitSet& digits) {
    QSize size;
    for (const SkinElement& digit : digits) size = size.expandedTo(digit.defaultBitmap.size());
    return size;
}

}  // namespace

MainLcd::MainLcd(SkinElementSet& skin, const PlaybackView& view, const StatusBoard& status, MainSliders& sliders)
    : skin_(skin), view_(view), status_(status), sliders_(sliders) {
    stripGround_ = &skin_["ID_LCD_MP3INFO_GROUND"];
    spectrumGround_ = &skin_["ID_LCD_SPEC_GROUND"];
    spectrumBar_ = &skin_["ID_LCD_SPEC"];
}

void MainLcd::Load(const QRect& client) {
    nowDigits_ = Digits(skin_, "ID_LCD_NOWTIME_NUMBER");
    endDigits_ = Digits(skin_, "ID_LCD_ENDTIME_NUMBER");
    stateDigits_ = Digits(skin_, "ID_LCD_STATE_NUMBER");
    const SkinElement& ground = skin_["ID_LCD_SPEC_GROUND"];
    const SkinElement& bar = skin_["ID_LCD_SPEC"];
    spectrum_.SetGeometry(ground.Width, ground.Height, bar.Width, bar.Height);
    stripFont_ = MakeSkinFont(skin_.font.FontName, skin_.font.FontSize);
    title_.clear();
    titleSource_.clear();
    titleWidth_ = 0;
    UpdateTitleMetrics();

    // The time display's click area: from just left of the minus sign to the end of
    // the remaining-time seconds.
    const SkinRect& minus = skin_["ID_LCD_LINE_MINUS"].rect;
    const SkinRect& first = skin_["ID_NOWTIME_MINLEFT_MINUS"].rect;
    const SkinRect& last = skin_["ID_NOWTIME_SECRIGHT_MINUS"].rect;
    timeArea_ = QRect(QPoint(minus.left - 3, first.top), QPoint(last.right - 1, last.bottom - 1));
    ComputeAreas(client);
}

QRect MainLcd::Placed(const std::string& id, const QRect& client) {
    SkinElement& e = skin_[id];
    const auto at = PlaceElement(e, client, SkinWindowKind::Main);
    if (!at) return {};
    const QSize size = e.defaultBitmap.isNull() ? QSize(e.Width, e.Height) : e.defaultBitmap.size();
    return QRect(*at, size);
}

QRect MainLcd::SlotsRect(std::initializer_list<const char*> ids, QSize size) {
    QRect area;
    for (const char* id : ids) {
        const SkinRect& slot = skin_[id].rect;
        area |= QRect(QPoint(slot.left, slot.top), size.isEmpty() ? QSize(slot.Width(), slot.Height()) : size);
    }
    return area;
}

void MainLcd::ComputeAreas(const QRect& client) {
    auto sets = [&](std::initializer_list<const char*> stems, std::initializer_list<const char*> endings) {
        QRegion region;
        for (const char* stem : stems)
            for (const char* ending : endings) region += Placed(std::string(stem) + ending, client);
        return region;
    };
    const auto three = {"_DEFAULT", "_OVER", "_DOWN"};
    const auto two = {"_DEFAULT", "_OVER"};
    Areas& a = areas_;
    a.channel = sets({"ID_LCD_MONO_ON", "ID_LCD_STEREO_ON"}, two);
    a.lamp = sets({"ID_LCD_PLAY_ON", "ID_LCD_WAIT_ON", "ID_LCD_STOP_ON"}, two) + sets({"ID_BTPLAY", "ID_BTPAUSE"}, three);
    a.list = sets({"ID_BTPLON", "ID_BTPLOFF"}, three) + sets({"ID_LCD_PL_ON"}, two);
    a.eq = sets({"ID_BTEQON", "ID_BTEQOFF"}, three) + sets({"ID_LCD_EQ_ON"}, two);
    a.repeat = sets({"ID_BTREPEAT_OFF", "ID_BTREPEAT_ONE", "ID_BTREPEAT_UNLIMIT", "ID_LCDREPEAT", "ID_BTREPEAT_LAMP"}, three);
    a.shuffle = sets({"ID_BTSHUFFLE_INORDER", "ID_BTSHUFFLE_OUTORDER", "ID_BTSHUFFLE_LAMP"}, three) +
                sets({"ID_LCDSHUFFLE"}, two);
    a.mute = sets({"ID_BTSOUNDON", "ID_BTSOUNDOFF"}, three);
    // Each area holds every pixel its display may draw: a repaint that misses an area
    // leaves that display out.
    const QSize nowDigit = DigitSize(nowDigits_);
    a.time = QRegion(Placed("ID_LCD_LINE_MINUS", client)) + Placed("ID_LCD_LINE_MINUS_OVER", client) +
             SlotsRect({kElapsedSlots[0], kElapsedSlots[1], kElapsedSlots[2], kElapsedSlots[3]}, nowDigit) +
             SlotsRect({kRemainingSlots[0], kRemainingSlots[1], kRemainingSlots[2], kRemainingSlots[3]}, nowDigit) +
             SlotsRect({"ID_NOWTIME_POS_DOT", "ID_NOWTIME_POS_DOT_MINUS"}, skin_["ID_LCD_NOWTIME_DOT"].defaultBitmap.size());
    a.total = SlotsRect({kEndSlots[0], kEndSlots[1], kEndSlots[2], kEndSlots[3]}, DigitSize(endDigits_));
    a.position = SliderArea(sliders_.position());
    a.volume = SliderArea(sliders_.volume());
    a.strip = Placed("ID_LCD_MP3INFO_GROUND", client);
    a.spectrum = Placed("ID_LCD_SPEC_GROUND", client);
    a.rates = SlotsRect({kKhzSlots[0], kKhzSlots[1], kKhzSlots[2], kKbpsSlots[0], kKbpsSlots[1], kKbpsSlots[2]},
                        DigitSize(stateDigits_));
}

// ---- Drawing ----

void MainLcd::DrawOverlays(QPainter& painter, const QRect& client) {
    const PlaybackState& s = view_.State();
    // A display outside the repainted region is left out (most repaints are the strip
    // and the spectrum).
    const QRegion clip = painter.hasClipping() ? painter.clipRegion() : QRegion(client);
    if (clip.intersects(areas_.time)) DrawTimeDisplay(painter, client);
    if (clip.intersects(areas_.total)) {
        const bool active = s.isPlaying || s.isPaused;
        DrawDigits(painter, endDigits_, TimeDigits(active ? static_cast<int>(s.lengthSeconds) : 0),
                   std::vector<const SkinElement*>{&skin_[kEndSlots[0]], &skin_[kEndSlots[1]], &skin_[kEndSlots[2]],
                                                   &skin_[kEndSlots[3]]});
    }
    if (clip.intersects(areas_.position)) sliders_.DrawPosition(painter);
    if (clip.intersects(areas_.volume)) sliders_.DrawVolume(painter);
    if (clip.intersects(areas_.strip)) DrawStrip(painter);
    if (clip.intersects(areas_.spectrum)) DrawSpectrum(painter);
}

void MainLcd::DrawTimeDisplay(QPainter& painter, const QRect& client) {
    const PlaybackState& s = view_.State();
    const bool active = s.isPlaying || s.isPaused;
    const int seconds = TimeDisplaySeconds(active, showElapsed_, active ? view_.PositionSeconds() : 0,
                                           s.lengthSeconds);
    const auto& slotIds = showElapsed_ ? kElapsedSlots : kRemainingSlots;
    DrawElement(painter, client, skin_[showElapsed_ ? "ID_LCD_LINE_MINUS_OVER" : "ID_LCD_LINE_MINUS"],
                SkinImage::Default, SkinWindowKind::Main);
    DrawDigits(painter, nowDigits_, TimeDigits(seconds),
               std::vector<const SkinElement*>{&skin_[slotIds[0]], &skin_[slotIds[1]], &skin_[slotIds[2]], &skin_[slotIds[3]]});
    const SkinRect& dot = skin_[showElapsed_ ? "ID_NOWTIME_POS_DOT" : "ID_NOWTIME_POS_DOT_MINUS"].rect;
    const QImage& colon = skin_["ID_LCD_NOWTIME_DOT"].defaultBitmap;
    if (!colon.isNull()) painter.drawImage(QPoint(dot.left, dot.top), colon);
}

QString MainLcd::StripText() const {
    if (const std::string* message = status_.Current()) return QString::fromStdString(*message);
    return title_;
}

void MainLcd::UpdateTitleMetrics() {
    const std::string& title = view_.State().titleText;
    if (title == titleSource_ && titleWidth_ > 0) return;
    titleSource_ = title;
    title_ = QString::fromStdString(title);
    titleWidth_ = QFontMetrics(stripFont_).horizontalAdvance(title_);
}

void MainLcd::DrawStrip(QPainter& painter) {
    const SkinElement& ground = *stripGround_;
    const QRect at = areas_.strip.boundingRect();
    if (ground.defaultBitmap.isNull() || at.isEmpty()) return;
    const std::string* message = status_.Current();
    const int width = ground.Width;
    const int x = message ? StatusDrawX(width) : TitleDrawX(width, titleWidth_, titleX_);
    // The text keeps its layout while it stays the same (the title scrolls by moving it).
    stripLine_.Set(message ? QString::fromStdString(*message) : title_, stripFont_);
    painter.save();
    painter.setClipRect(at, Qt::IntersectClip);
    painter.drawImage(at.topLeft(), ground.defaultBitmap);
    painter.setPen(QColor(skin_.font.R & 0xFF, skin_.font.G & 0xFF, skin_.font.B & 0xFF));
    stripLine_.Draw(painter, QRect(at.x() + x, at.y() + skin_.font.FontHeight, std::max(titleWidth_, width) * 2 + 64,
                                   ground.defaultBitmap.height()));
    painter.restore();
}

void MainLcd::DrawSpectrum(QPainter& painter) {
    const SkinElement& ground = *spectrumGround_;
    const QRect at = areas_.spectrum.boundingRect();
    if (ground.defaultBitmap.isNull() || at.isEmpty()) return;
    painter.save();
    painter.setClipRect(at, Qt::IntersectClip);
    painter.translate(at.topLeft());
    spectrum_.Paint(painter, ground.defaultBitmap, spectrumBar_->defaultBitmap);
    painter.restore();
}

void MainLcd::DrawRates(QPainter& painter) {
    const PlaybackState& s = view_.State();
    if (!s.isPlaying && !s.isPaused) return;
    if (painter.hasClipping() && !painter.clipRegion().intersects(areas_.rates)) return;
    UpdateBitrate();
    const std::string khz = SampleRateText(SampleRateHz(s.isUrlStream, s.channelInfo.freq));
    const std::string kbps = BitrateText(s.isUrlStream ? BitrateKbps(true, s.bitrateText, 0, 0) : fileKbps_);
    // A leading zero is left out; the other digits always show.
    auto draw = [&](const std::string& text, const char* const (&slotIds)[3]) {
        std::vector<const SkinElement*> places{text[0] == '0' ? nullptr : &skin_[slotIds[0]], &skin_[slotIds[1]],
                                               &skin_[slotIds[2]]};
        DrawDigits(painter, stateDigits_, text, places);
    };
    draw(khz, kKhzSlots);
    draw(kbps, kKbpsSlots);
}

void MainLcd::UpdateBitrate() {
    const PlaybackState& s = view_.State();
    if (s.channelHandle == bitrateChannel_) return;
    bitrateChannel_ = s.channelHandle;
    fileKbps_ = 0;
    if (!s.channelHandle || s.isUrlStream) return;
    const std::string path = view_.CurrentPath();
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    fileKbps_ = BitrateKbps(false, {}, ec ? 0 : bytes, view_.LengthSeconds());
}

// ---- What the displays show ----

MainLcd::Facts MainLcd::CurrentFacts() {
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
    f.positionPos = std::clamp(sliders_.PositionThumb(), 0, std::max(sliders_.position().TrackWidth(), 0));
    f.volumePos = std::clamp(s.volume, 0, std::max(sliders_.volume().TrackWidth(), 0));
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

QRegion MainLcd::ChangedRegion(const Facts& was, const Facts& now) const {
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

// ---- Spectrum and title ----

bool MainLcd::AnalyserShown() const {
    return spectrum_.dataBars() > 0 && !spectrumGround_->defaultBitmap.isNull() && !areas_.spectrum.isEmpty();
}

void MainLcd::FetchSpectrum() {
    static_assert(FrequencyBars::kBins == PlaybackView::kSpectrumBins);
    float magnitudes[FrequencyBars::kBins] = {};
    if (view_.Spectrum(magnitudes))
        spectrum_.Feed(magnitudes, FrequencyBars::kBins);
    else
        spectrum_.FetchFailed();
}

void MainLcd::ScrollTitle() {
    UpdateTitleMetrics();
    titleX_ = NextTitleX(titleX_, stripGround_->Width, titleWidth_);
}

}  // namespace tavora
