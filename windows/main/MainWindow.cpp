// The main window's skin and composition. What each display tick refreshes is in
// MainWindowRefresh.cpp; mouse, keys, the menu and the window's own commands are in
// MainWindowInput.cpp.
#include "MainWindow.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <vector>

#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "SkinBitmap.h"
#include "SkinFonts.h"
#include "SkinReader.h"
#include "SkinSelection.h"
#include "SkinUsability.h"

namespace tavora {

using namespace mainwin;

namespace {

constexpr const char* kDecorations[] = {"ID_PLAYER_IMAIN",    "ID_PLAYER_IEQGROUND", "ID_PLAYER_ICLOSEGROUND",
                                        "ID_PLAYER_IVOLUMGROUND", "ID_PLAYER_IREPEAT", "ID_PLAYER_ISHUFFLE",
                                        "ID_LCD_ENDTIME_DOT", "ID_PLAYER_ROGO",    "ID_LCD_LINE_NOWTIME_ENDTIME"};
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

MainWindow::MainWindow(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, QWidget* owner)
    : SkinnedWindow(SkinWindowKind::Main, owner), sink_(sink), view_(view), events_(events) {
    setWindowTitle(QStringLiteral("TavoraPlayer Main"));
    setFocusPolicy(Qt::StrongFocus);
    // The first skinned window chooses the skin every window then reads.
    if (CurrentSkinFile.empty()) ChooseStartupSkin([this](cmd::Command command) { sink_.Post(command); });
    for (const auto& [key, id] : LoadAcceleratorTable(152)) accelerators_[key] = static_cast<MainMenuId>(id);
    connect(&events_, &PlayerEvents::displayChanged, this, &MainWindow::OnDisplayEvent);
    connect(&events_, &PlayerEvents::titleChanged, this, &MainWindow::OnDisplayEvent);
    connect(&events_, &PlayerEvents::playbackStarted, this, &MainWindow::StartTimers);
    connect(&events_, &PlayerEvents::volumeText, this,
            [this](const QString& text) { SetVolumeText(text.toStdString()); });
    connect(&events_, &PlayerEvents::positionText, this, [this](const QString& text) { SetSeekText(text.toStdString()); });
    connect(&events_, &PlayerEvents::shutdownPhase, this, &MainWindow::OnShutdownPhase);
    menu_ = LoadMenuResource(139);
    timeSlider_ = {&skin_["ID_PLAYER_ITIMELINE_FULL"], &skin_["ID_PLAYER_ITIMELINE_EMPTY"], &skin_["ID_PLAYER_BTTIMELINE"]};
    volumeSlider_ = {&skin_["ID_PLAYER_IVOLUMELINE_FULL"], &skin_["ID_PLAYER_IVOLUMELINE_EMPTY"],
                     &skin_["ID_PLAYER_BTVOLUMELINE"]};
    stripGround_ = &skin_["ID_LCD_MP3INFO_GROUND"];
    spectrumGround_ = &skin_["ID_LCD_SPEC_GROUND"];
    spectrumBar_ = &skin_["ID_LCD_SPEC"];
    RegisterButtons();
    LoadSkin();
}

MainWindow::~MainWindow() { StopTimers(); }

void MainWindow::LoadSkin() {
    SkinReader reader;
    // A skin that does not parse leaves the window as it was; a window that has no size
    // from a skin yet takes a plain one, so that the player never starts invisible.
    if (!reader.Open(CurrentSkinFile)) {
        if (minimumSize() != maximumSize()) setFixedSize(kFallbackMainWidth, kFallbackMainHeight);
        return;
    }
    SkinElementSet fresh;
    LoadSkinElementSet(reader, CurrentSkinFolder, fresh);
    // Assign in place: buttons and sliders point at these elements.
    for (auto& [id, element] : fresh.elements) skin_.elements[id] = std::move(element);
    skin_.font = fresh.font;
    skin_.name = fresh.name;
    nowDigits_ = Digits(skin_, "ID_LCD_NOWTIME_NUMBER");
    endDigits_ = Digits(skin_, "ID_LCD_ENDTIME_NUMBER");
    stateDigits_ = Digits(skin_, "ID_LCD_STATE_NUMBER");

    const SkinElement& background = skin_["ID_PLAYER_IMAIN"];
    if (background.Width >= kMinMainWindowSide && background.Height >= kMinMainWindowSide)
        setFixedSize(background.Width, background.Height);
    else
        setFixedSize(kFallbackMainWidth, kFallbackMainHeight);

    // The sliders' lengths are the ranges of the volume and the position.
    if (const int width = volumeSlider_.TrackWidth(); width > 0) Send(cmd::SetVolumeRange, CommandData::Value(width));
    if (const int width = timeSlider_.TrackWidth(); width > 0) Send(cmd::SetPositionRange, CommandData::Value(width));

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
    ComputeAreas();
    shown_ = Facts{};
    InvalidateElements();
}

QRect MainWindow::Placed(const std::string& id) {
    SkinElement& e = skin_[id];
    const auto at = PlaceElement(e, rect(), SkinWindowKind::Main);
    if (!at) return {};
    const QSize size = e.defaultBitmap.isNull() ? QSize(e.Width, e.Height) : e.defaultBitmap.size();
    return QRect(*at, size);
}

QRect MainWindow::PlacedRect(const std::string& id) { return Placed(id); }

QRect MainWindow::SlotsRect(std::initializer_list<const char*> ids, QSize size) {
    QRect area;
    for (const char* id : ids) {
        const SkinRect& slot = skin_[id].rect;
        area |= QRect(QPoint(slot.left, slot.top), size.isEmpty() ? QSize(slot.Width(), slot.Height()) : size);
    }
    return area;
}

void MainWindow::ComputeAreas() {
    auto sets = [this](std::initializer_list<const char*> stems, std::initializer_list<const char*> endings) {
        QRegion region;
        for (const char* stem : stems)
            for (const char* ending : endings) region += Placed(std::string(stem) + ending);
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
    a.time = QRegion(Placed("ID_LCD_LINE_MINUS")) + Placed("ID_LCD_LINE_MINUS_OVER") +
             SlotsRect({kElapsedSlots[0], kElapsedSlots[1], kElapsedSlots[2], kElapsedSlots[3]}, nowDigit) +
             SlotsRect({kRemainingSlots[0], kRemainingSlots[1], kRemainingSlots[2], kRemainingSlots[3]}, nowDigit) +
             SlotsRect({"ID_NOWTIME_POS_DOT", "ID_NOWTIME_POS_DOT_MINUS"}, skin_["ID_LCD_NOWTIME_DOT"].defaultBitmap.size());
    a.total = SlotsRect({kEndSlots[0], kEndSlots[1], kEndSlots[2], kEndSlots[3]}, DigitSize(endDigits_));
    a.position = SliderArea(timeSlider_);
    a.volume = SliderArea(volumeSlider_);
    a.strip = Placed("ID_LCD_MP3INFO_GROUND");
    a.spectrum = Placed("ID_LCD_SPEC_GROUND");
    a.rates = SlotsRect({kKhzSlots[0], kKhzSlots[1], kKhzSlots[2], kKbpsSlots[0], kKbpsSlots[1], kKbpsSlots[2]},
                        DigitSize(stateDigits_));
}

QRect MainWindow::BackgroundRect() const {
    const SkinElement& background = skin_.elements.count("ID_PLAYER_IMAIN") ? skin_.elements.at("ID_PLAYER_IMAIN")
                                                                             : SkinElement{};
    if (background.Width <= 0 || background.Height <= 0) return rect();
    return QRect(background.rect.left, background.rect.top, background.Width, background.Height);
}

// ---- Composition ----

void MainWindow::DrawButtonSet(QPainter& painter, const std::string& stem, int button) {
    DrawButton(painter, skin_[stem + "_DEFAULT"], skin_[stem + "_OVER"], skin_[stem + "_DOWN"], button);
}

void MainWindow::ComposeElements(QPainter& painter) {
    const PlaybackState& s = view_.State();
    auto draw = [&](const char* id) { Draw(painter, skin_[id]); };
    for (const char* id : kDecorations) draw(id);

    const int channel = ChannelState(s.isPlaying, s.isPaused, s.isUrlStream, s.channelInfo.chans);
    draw(channel == 1 ? "ID_LCD_MONO_ON_DEFAULT" : "ID_LCD_MONO_ON_OVER");
    draw(channel == 2 ? "ID_LCD_STEREO_ON_DEFAULT" : "ID_LCD_STEREO_ON_OVER");

    DrawButtonSet(painter, s.isPlaying ? "ID_BTPAUSE" : "ID_BTPLAY", kPlay);
    const PlayLamp lamp = PlayLampFor(s.isPlaying, s.isPaused);
    draw(lamp == PlayLamp::Play ? "ID_LCD_PLAY_ON_DEFAULT" : "ID_LCD_PLAY_ON_OVER");
    draw(lamp == PlayLamp::Wait ? "ID_LCD_WAIT_ON_DEFAULT" : "ID_LCD_WAIT_ON_OVER");
    draw(lamp == PlayLamp::Stop ? "ID_LCD_STOP_ON_DEFAULT" : "ID_LCD_STOP_ON_OVER");

    DrawButtonSet(painter, s.listShown ? "ID_BTPLON" : "ID_BTPLOFF", kList);
    draw(s.listShown ? "ID_LCD_PL_ON_DEFAULT" : "ID_LCD_PL_ON_OVER");
    DrawButtonSet(painter, s.equalizerShown ? "ID_BTEQON" : "ID_BTEQOFF", kEqualizer);
    draw(s.equalizerShown ? "ID_LCD_EQ_ON_DEFAULT" : "ID_LCD_EQ_ON_OVER");

    DrawButtonSet(painter, "ID_BTBACK", kBack);
    DrawButtonSet(painter, "ID_BTNEXT", kNext);
    DrawButtonSet(painter, "ID_BTSTOP", kStop);
    DrawButtonSet(painter, "ID_BTOPEN", kOpen);
    DrawButtonSet(painter, "ID_BTMINI", kMini);
    DrawButtonSet(painter, "ID_BTCLOSE", kClose);

    const RepeatMode repeat = RepeatModeOf(s.repeatOne, s.repeatAll);
    DrawButtonSet(painter,
                  repeat == RepeatMode::All   ? "ID_BTREPEAT_UNLIMIT"
                  : repeat == RepeatMode::One ? "ID_BTREPEAT_ONE"
                                              : "ID_BTREPEAT_OFF",
                  kRepeat);
    draw(repeat == RepeatMode::All ? "ID_LCDREPEAT_DOWN" : repeat == RepeatMode::One ? "ID_LCDREPEAT_OVER"
                                                                                      : "ID_LCDREPEAT_DEFAULT");
    draw(repeat == RepeatMode::All   ? "ID_BTREPEAT_LAMP_OVER"
         : repeat == RepeatMode::One ? "ID_BTREPEAT_LAMP_DOWN"
                                     : "ID_BTREPEAT_LAMP_DEFAULT");
    DrawButtonSet(painter, s.shuffle ? "ID_BTSHUFFLE_OUTORDER" : "ID_BTSHUFFLE_INORDER", kShuffle);
    draw(s.shuffle ? "ID_LCDSHUFFLE_DEFAULT" : "ID_LCDSHUFFLE_OVER");
    draw(s.shuffle ? "ID_BTSHUFFLE_LAMP_OVER" : "ID_BTSHUFFLE_LAMP_DEFAULT");
    DrawButtonSet(painter, s.mute ? "ID_BTSOUNDOFF" : "ID_BTSOUNDON", kMute);
}

bool MainWindow::ElementsKey(std::vector<int>& key) const {
    // Everything ComposeElements reads from the state.
    const PlaybackState& s = view_.State();
    key.insert(key.end(), {ChannelState(s.isPlaying, s.isPaused, s.isUrlStream, s.channelInfo.chans), s.isPlaying != 0,
                           static_cast<int>(PlayLampFor(s.isPlaying, s.isPaused)), s.listShown != 0,
                           s.equalizerShown != 0, static_cast<int>(RepeatModeOf(s.repeatOne, s.repeatAll)),
                           s.shuffle != 0, s.mute != 0});
    return true;
}

void MainWindow::DrawOverlays(QPainter& painter) {
    const PlaybackState& s = view_.State();
    // A display outside the repainted region is left out (most repaints are the strip
    // and the spectrum).
    const QRegion clip = painter.hasClipping() ? painter.clipRegion() : QRegion(rect());
    if (clip.intersects(areas_.time)) DrawTimeDisplay(painter);
    if (clip.intersects(areas_.total)) {
        const bool active = s.isPlaying || s.isPaused;
        DrawDigits(painter, endDigits_, TimeDigits(active ? static_cast<int>(s.lengthSeconds) : 0),
                   std::vector<const SkinElement*>{&skin_[kEndSlots[0]], &skin_[kEndSlots[1]], &skin_[kEndSlots[2]],
                                                   &skin_[kEndSlots[3]]});
    }
    if (clip.intersects(areas_.position)) {
        timeSlider_.pos = PositionThumb();
        timeSlider_.Draw(painter);
    }
    if (clip.intersects(areas_.volume)) {
        volumeSlider_.pos = s.volume;
        volumeSlider_.Draw(painter);
    }
    if (clip.intersects(areas_.strip)) DrawStrip(painter);
    if (clip.intersects(areas_.spectrum)) DrawSpectrum(painter);
}

void MainWindow::DrawTimeDisplay(QPainter& painter) {
    const PlaybackState& s = view_.State();
    const bool active = s.isPlaying || s.isPaused;
    const int seconds = TimeDisplaySeconds(active, showElapsed_, active ? view_.PositionSeconds() : 0,
                                           s.lengthSeconds);
    const auto& slotIds = showElapsed_ ? kElapsedSlots : kRemainingSlots;
    Draw(painter, skin_[showElapsed_ ? "ID_LCD_LINE_MINUS_OVER" : "ID_LCD_LINE_MINUS"]);
    DrawDigits(painter, nowDigits_, TimeDigits(seconds),
               std::vector<const SkinElement*>{&skin_[slotIds[0]], &skin_[slotIds[1]], &skin_[slotIds[2]], &skin_[slotIds[3]]});
    const SkinRect& dot = skin_[showElapsed_ ? "ID_NOWTIME_POS_DOT" : "ID_NOWTIME_POS_DOT_MINUS"].rect;
    const QImage& colon = skin_["ID_LCD_NOWTIME_DOT"].defaultBitmap;
    if (!colon.isNull()) painter.drawImage(QPoint(dot.left, dot.top), colon);
}

QString MainWindow::StripText() const {
    if (const std::string* message = status_.Current()) return QString::fromStdString(*message);
    return title_;
}

void MainWindow::UpdateTitleMetrics() {
    const std::string& title = view_.State().titleText;
    if (title == titleSource_ && titleWidth_ > 0) return;
    titleSource_ = title;
    title_ = QString::fromStdString(title);
    titleWidth_ = QFontMetrics(stripFont_).horizontalAdvance(title_);
}

void MainWindow::DrawStrip(QPainter& painter) {
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

void MainWindow::DrawSpectrum(QPainter& painter) {
    const SkinElement& ground = *spectrumGround_;
    const QRect at = areas_.spectrum.boundingRect();
    if (ground.defaultBitmap.isNull() || at.isEmpty()) return;
    painter.save();
    painter.setClipRect(at, Qt::IntersectClip);
    painter.translate(at.topLeft());
    spectrum_.Paint(painter, ground.defaultBitmap, spectrumBar_->defaultBitmap);
    painter.restore();
}

void MainWindow::DrawAfterCompose(QPainter& painter) { DrawRates(painter); }

void MainWindow::DrawRates(QPainter& painter) {
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

void MainWindow::UpdateBitrate() {
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

}  // namespace tavora
