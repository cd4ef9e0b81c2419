// The main window's skin and composition. Its mouse, keys, menu and window events
// are in MainWindowInput.cpp.
#include "MainWindow.h"

#include <QPainter>

#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "SkinBitmap.h"
#include "SkinReader.h"
#include "SkinSelection.h"
#include "SkinUsability.h"

namespace tavora {

using namespace mainwin;

namespace {

constexpr const char* kDecorations[] = {"ID_PLAYER_IMAIN",    "ID_PLAYER_IEQGROUND", "ID_PLAYER_ICLOSEGROUND",
                                        "ID_PLAYER_IVOLUMGROUND", "ID_PLAYER_IREPEAT", "ID_PLAYER_ISHUFFLE",
                                        "ID_LCD_ENDTIME_DOT", "ID_PLAYER_ROGO",    "ID_LCD_LINE_NOWTIME_ENDTIME"};

}  // namespace

MainWindow::MainWindow(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, QWidget* owner)
    : SkinnedWindow(SkinWindowKind::Main, owner),
      sink_(sink),
      view_(view),
      events_(events),
      sliders_(skin_, sink, view, refresh_),
      lcd_(skin_, view, status_, sliders_),
      refresh_(*this, view, lcd_, status_),
      commands_(sink, view, refresh_) {
    setWindowTitle(QStringLiteral("TavoraPlayer Main"));
    setFocusPolicy(Qt::StrongFocus);
    connect(&events_, &PlayerEvents::displayChanged, this, [this] { refresh_.OnDisplayEvent(); });
    connect(&events_, &PlayerEvents::titleChanged, this, [this] { refresh_.OnDisplayEvent(); });
    connect(&events_, &PlayerEvents::playbackStarted, this, &MainWindow::StartTimers);
    connect(&events_, &PlayerEvents::volumeText, this,
            [this](const QString& text) { SetVolumeText(text.toStdString()); });
    connect(&events_, &PlayerEvents::positionText, this, [this](const QString& text) { SetSeekText(text.toStdString()); });
    connect(&events_, &PlayerEvents::shutdownPhase, this, &MainWindow::OnShutdownPhase);
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
    // Assign in place: buttons, sliders and displays point at these elements.
    for (auto& [id, element] : fresh.elements) skin_.elements[id] = std::move(element);
    skin_.font = fresh.font;
    skin_.name = fresh.name;

    const SkinElement& background = skin_["ID_PLAYER_IMAIN"];
    if (background.Width >= kMinMainWindowSide && background.Height >= kMinMainWindowSide)
        setFixedSize(background.Width, background.Height);
    else
        setFixedSize(kFallbackMainWidth, kFallbackMainHeight);

    sliders_.SendRanges();
    lcd_.Load(rect());
    refresh_.Forget();
    InvalidateElements();
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

}  // namespace tavora
