// The main window on the default skin, built with a recording command sink and a
// playback view of a plain state (no controller, no engine): what it draws for each
// state, the commands and data its buttons, sliders, keys, wheel and menu send, its
// status messages, what it repaints, the events it follows and the settings it leaves
// at shutdown.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <tuple>

#include "CommandSink.h"
#include "Commands.h"
#include "MainWindow.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "RecordingSink.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "SkinBitmap.h"
#include "SkinSelection.h"
#include "SkinUsability.h"
#include "SkinTestSupport.h"
#include "TempFolder.h"
#include "TempRegistry.h"

using namespace tavora;

namespace {

// Collects the regions the window repaints.
class PaintSpy : public QObject {
public:
    QRegion painted;
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++count;
        }
        return false;
    }
};

using test::RecordingSink;

// A playback view over a state the test sets.
class PlainView : public PlaybackView {
public:
    PlaybackState state;
    double position = 0, length = 0;
    const PlaybackState& State() const override { return state; }
    double PositionSeconds() const override { return position; }
    double LengthSeconds() const override { return length; }
    mutable int fetches = 0;  // spectrum fetches
    bool Spectrum(float*) const override {
        ++fetches;
        return false;
    }
    std::string CurrentPath() const override { return {}; }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        runtime_ = reg_.dir() / "runtime";
        std::filesystem::create_directories(runtime_);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        CurrentSkinFolder = test::GeneratedSkin("Default");
        CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
        view_.state.volume = 25;
        // The slider lengths the window sends become the state's, as the controller does.
        sink_.answer = [this](cmd::Command command, const CommandData& d) {
            if (command == cmd::SetVolumeRange) view_.state.volumeMax = *d.value;
            if (command == cmd::SetPositionRange) view_.state.positionMax = *d.value;
        };
        window_ = std::make_unique<MainWindow>(sink_, view_, events_);
        window_->show();
        QApplication::processEvents();
        sink_.sent.clear();
    }
    void TearDown() override { window_.reset(); }

    PlaybackState& state() { return view_.state; }
    std::vector<int> Sent() const { return sink_.Commands(); }
    QPoint Centre(const std::string& id) {
        const SkinRect& r = window_->element(id).rect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Click(QPoint at) { QTest::mouseClick(window_.get(), Qt::LeftButton, {}, at); }
    void ClickButton(const std::string& hot) { Click(Centre(hot)); }
    std::string Status() {
        const std::string* text = window_->StatusText();
        return text ? *text : std::string();
    }
    // Whether the composed window shows the element's picture where it is placed.
    bool Shows(const QImage& image, const std::string& id) {
        const QRect at = window_->PlacedRect(id);
        const QImage& bitmap = window_->element(id).defaultBitmap;
        return !at.isEmpty() && image.copy(at) == bitmap.convertToFormat(QImage::Format_RGB32);
    }
    // Whether a digit slot shows digit d of the set.
    bool SlotShows(const QImage& image, const std::string& slot, const std::string& digitStem, int d) {
        const QImage digit = window_->element(digitStem + std::to_string(d)).defaultBitmap.convertToFormat(QImage::Format_RGB32);
        const SkinRect& r = window_->element(slot).rect;
        return image.copy(QRect(QPoint(r.left, r.top), digit.size())) == digit;
    }

    test::TempRegistry reg_;
    std::filesystem::path runtime_;
    RecordingSink sink_;
    PlainView view_;
    PlayerEvents events_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace

TEST_F(MainWindowTest, TakesItsSizeAndSendsItsSliderRangesFromTheSkin) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("TavoraPlayer Main"));
    EXPECT_EQ(window_->size(), QSize(window_->element("ID_PLAYER_IMAIN").Width, window_->element("ID_PLAYER_IMAIN").Height));
    EXPECT_EQ(state().volumeMax, window_->element("ID_PLAYER_IVOLUMELINE_FULL").Width);
    EXPECT_EQ(state().positionMax, window_->element("ID_PLAYER_ITIMELINE_FULL").Width);
}

TEST_F(MainWindowTest, LampsForEachState) {
    struct Case {
        int playing, paused, url;
        unsigned chans;
        std::set<std::string> lit;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 2, {"ID_LCD_STOP_ON_DEFAULT", "ID_LCD_PLAY_ON_OVER", "ID_LCD_WAIT_ON_OVER", "ID_LCD_MONO_ON_OVER", "ID_LCD_STEREO_ON_OVER"}},
        {1, 0, 0, 2, {"ID_LCD_PLAY_ON_DEFAULT", "ID_LCD_WAIT_ON_OVER", "ID_LCD_STOP_ON_OVER", "ID_LCD_MONO_ON_OVER", "ID_LCD_STEREO_ON_DEFAULT"}},
        {0, 1, 0, 1, {"ID_LCD_WAIT_ON_DEFAULT", "ID_LCD_PLAY_ON_OVER", "ID_LCD_STOP_ON_OVER", "ID_LCD_MONO_ON_DEFAULT", "ID_LCD_STEREO_ON_OVER"}},
        {1, 0, 1, 1, {"ID_LCD_PLAY_ON_DEFAULT", "ID_LCD_MONO_ON_OVER", "ID_LCD_STEREO_ON_DEFAULT"}},
    };
    for (const Case& c : cases) {
        state().isPlaying = c.playing;
        state().isPaused = c.paused;
        state().isUrlStream = c.url;
        state().channelInfo.chans = c.chans;
        const QImage image = window_->ComposeWindow();
        for (const std::string& id : c.lit) EXPECT_TRUE(Shows(image, id)) << id << " playing " << c.playing;
        EXPECT_TRUE(Shows(image, c.playing ? "ID_BTPAUSE_DEFAULT" : "ID_BTPLAY_DEFAULT"));
    }
    // The pictures differ, so the checks above tell lit from unlit.
    EXPECT_NE(window_->element("ID_LCD_PLAY_ON_DEFAULT").defaultBitmap, window_->element("ID_LCD_PLAY_ON_OVER").defaultBitmap);
    state().listShown = 1;
    state().equalizerShown = 0;
    const QImage image = window_->ComposeWindow();
    EXPECT_TRUE(Shows(image, "ID_LCD_PL_ON_DEFAULT"));
    EXPECT_TRUE(Shows(image, "ID_LCD_EQ_ON_OVER"));
    EXPECT_TRUE(Shows(image, "ID_BTPLON_DEFAULT"));
    EXPECT_TRUE(Shows(image, "ID_BTEQOFF_DEFAULT"));
}

TEST_F(MainWindowTest, TimeDisplayClickTogglesModeAndHundredMinutesShowFourDigits) {
    // Nothing loaded, remaining mode: 00:00 with the minus sign.
    QTest::mouseClick(window_.get(), Qt::LeftButton, {}, window_->TimeClickArea().center());
    EXPECT_FALSE(window_->showElapsed());
    EXPECT_EQ(Status(), "남은 시간 표시");
    QImage image = window_->ComposeWindow();
    EXPECT_TRUE(Shows(image, "ID_LCD_LINE_MINUS"));
    for (const char* slot : {"ID_NOWTIME_MINLEFT_MINUS", "ID_NOWTIME_MINRIGHT_MINUS", "ID_NOWTIME_SECLEFT_MINUS",
                             "ID_NOWTIME_SECRIGHT_MINUS"})
        EXPECT_TRUE(SlotShows(image, slot, "ID_LCD_NOWTIME_NUMBER", 0)) << slot;

    // A paused song of 100 minutes 5 seconds at its start: 100:05 remaining reads 10:00.
    state().isPaused = 1;
    state().lengthSeconds = 6005;
    image = window_->ComposeWindow();
    EXPECT_TRUE(SlotShows(image, "ID_NOWTIME_MINLEFT_MINUS", "ID_LCD_NOWTIME_NUMBER", 1));
    EXPECT_TRUE(SlotShows(image, "ID_NOWTIME_MINRIGHT_MINUS", "ID_LCD_NOWTIME_NUMBER", 0));
    EXPECT_TRUE(SlotShows(image, "ID_NOWTIME_SECLEFT_MINUS", "ID_LCD_NOWTIME_NUMBER", 0));
    EXPECT_TRUE(SlotShows(image, "ID_NOWTIME_SECRIGHT_MINUS", "ID_LCD_NOWTIME_NUMBER", 0));
    EXPECT_TRUE(SlotShows(image, "ID_ENDTIME_MINLEFT", "ID_LCD_ENDTIME_NUMBER", 1)) << "total time too";

    // A press in the area and a release elsewhere still toggles back.
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, window_->TimeClickArea().center());
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(window_->showElapsed());
    EXPECT_EQ(Status(), "경과 시간 표시");
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_LCD_LINE_MINUS_OVER"));
}

TEST_F(MainWindowTest, InternetStreamRatesShow44kHzWithoutLeadingZero) {
    state().isPlaying = 1;
    state().isUrlStream = 1;
    state().bitrateText = "128";
    const QImage image = window_->ComposeWindow();
    EXPECT_FALSE(SlotShows(image, "ID_KHZHUNDRED", "ID_LCD_STATE_NUMBER", 0)) << "leading zero left out";
    EXPECT_TRUE(SlotShows(image, "ID_KHZTEN", "ID_LCD_STATE_NUMBER", 4));
    EXPECT_TRUE(SlotShows(image, "ID_KHZONE", "ID_LCD_STATE_NUMBER", 4));
    EXPECT_TRUE(SlotShows(image, "ID_KBPSHUNDRED", "ID_LCD_STATE_NUMBER", 1));
    EXPECT_TRUE(SlotShows(image, "ID_KBPSTEN", "ID_LCD_STATE_NUMBER", 2));
    EXPECT_TRUE(SlotShows(image, "ID_KBPSONE", "ID_LCD_STATE_NUMBER", 8));
    state().isPlaying = 0;
    EXPECT_FALSE(SlotShows(window_->ComposeWindow(), "ID_KHZTEN", "ID_LCD_STATE_NUMBER", 4)) << "nothing when stopped";
}

TEST_F(MainWindowTest, RepeatButtonAsksForTheNextModeWithItsText) {
    // From each mode the click asks for the next one: one -> all -> none -> one.
    const std::vector<std::tuple<std::array<int, 3>, int, std::string>> cases = {
        {{1, 0, 0}, 1, "한곡 반복"}, {{0, 1, 0}, 2, "전곡 반복"}, {{0, 0, 1}, 0, "반복 없음"}};
    for (const auto& [flags, next, text] : cases) {
        state().repeatOff = flags[0];
        state().repeatOne = flags[1];
        state().repeatAll = flags[2];
        sink_.sent.clear();
        ClickButton("ID_BTREPEAT_OFF_DEFAULT");
        EXPECT_EQ(sink_.Values(cmd::SetRepeatMode), std::vector<int>{next}) << text;
        EXPECT_EQ(Status(), text);
    }
    EXPECT_EQ(state().repeatAll, 1) << "the window leaves the state to the controller";
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_BTREPEAT_UNLIMIT_DEFAULT"));
}

TEST_F(MainWindowTest, ShuffleAndMuteButtonsAskForTheOtherSetting) {
    state().shuffle = 0;
    ClickButton("ID_BTSHUFFLE_INORDER_DEFAULT");
    EXPECT_EQ(Status(), "랜덤 재생");
    state().shuffle = 1;
    ClickButton("ID_BTSHUFFLE_INORDER_DEFAULT");
    EXPECT_EQ(Status(), "순차 재생");
    EXPECT_EQ(sink_.Values(cmd::SetShuffle), (std::vector<int>{1, 0}));

    state().mute = 0;
    ClickButton("ID_BTSOUNDON_DEFAULT");
    EXPECT_EQ(Status(), "음소거 설정");
    state().mute = 1;
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_BTSOUNDOFF_DEFAULT"));
    ClickButton("ID_BTSOUNDON_DEFAULT");
    EXPECT_EQ(Status(), "음소거 해제");
    EXPECT_EQ(sink_.Values(cmd::SetMute), (std::vector<int>{1, 0}));
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::SetShuffle, cmd::SetShuffle, cmd::SetMute, cmd::SetMute}));
}

TEST_F(MainWindowTest, TransportButtonsSendTheirCommands) {
    ClickButton("ID_BTSTOP_DEFAULT");
    EXPECT_TRUE(Sent().empty()) << "stop while stopped sends nothing";
    state().isPlaying = 1;
    ClickButton("ID_BTSTOP_DEFAULT");
    EXPECT_EQ(state().isPlaying, 1) << "the controller stops; the window only asks";
    for (const char* id : {"ID_BTPLAY_DEFAULT", "ID_BTBACK_DEFAULT", "ID_BTNEXT_DEFAULT", "ID_BTOPEN_DEFAULT",
                           "ID_BTMINI_DEFAULT", "ID_BTPLON_DEFAULT", "ID_BTEQON_DEFAULT", "ID_BTCLOSE_DEFAULT"})
        ClickButton(id);
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::Stop, cmd::Play, cmd::Back, cmd::Next, cmd::OpenTotal, cmd::Minimize,
                                        cmd::ShowList, cmd::ShowEqualizer, cmd::Exit}));
    // While the equaliser slides its button does nothing (a click would reverse it).
    sink_.sent.clear();
    events_.AnnounceEqualizerSliding(true);
    ClickButton("ID_BTEQON_DEFAULT");
    EXPECT_TRUE(Sent().empty());
    events_.AnnounceEqualizerSliding(false);
    // A press moved off the button before the release does nothing.
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, Centre("ID_BTNEXT_DEFAULT"));
    QTest::mouseMove(window_.get(), QPoint(2, 2));
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, Centre("ID_BTNEXT_DEFAULT"));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(MainWindowTest, VolumeSliderSendsTheLevelUnderTheCursorClamped) {
    const SkinElement& full = window_->element("ID_PLAYER_IVOLUMELINE_FULL");
    const int thumb = window_->element("ID_PLAYER_BTVOLUMELINE").Width;
    const int y = full.rect.top + full.Height / 2;
    // The controller answers a new level with its text, as the playback does.
    sink_.answer = [this](cmd::Command command, const CommandData& d) {
        if (command == cmd::SetVolume) emit events_.volumeText(QString::fromStdString(VolumeTooltip(*d.value, state().volumeMax)));
    };
    state().mute = 1;
    Click(QPoint(full.rect.left + thumb / 2 + 30, y));
    EXPECT_EQ(Status(), VolumeTooltip(30, full.Width));
    Click(QPoint(full.rect.left, y));  // left of the thumb's half-width margin
    // Dragging past the end clamps at the track's length: 100 %.
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, QPoint(full.rect.left + 5, y));
    QTest::mouseMove(window_.get(), QPoint(full.rect.right + 40, y));
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, QPoint(full.rect.right + 40, y));
    const std::vector<int> levels = sink_.Values(cmd::SetVolume);
    ASSERT_GE(levels.size(), 4u);
    EXPECT_EQ(levels[0], 30);
    EXPECT_EQ(levels[1], 0);
    EXPECT_EQ(levels.back(), full.Width);
    EXPECT_EQ(Status(), "소리 크기 - 100%");
    EXPECT_EQ(ChannelVolumePercent(levels.back(), state().volumeMax, false), 100);
}

TEST_F(MainWindowTest, PositionSliderSeeksOnlyWhileAFileStreamIsLoaded) {
    const QRect hot = window_->PositionHotArea();
    Click(hot.center());
    EXPECT_TRUE(Sent().empty()) << "nothing loaded: no seeking";
    state().isPaused = 1;
    state().lengthSeconds = 300;
    state().positionUnits = 3;
    const int width = window_->element("ID_PLAYER_ITIMELINE_FULL").Width;
    const int left = window_->element("ID_PLAYER_ITIMELINE_FULL").rect.left;
    const int thumb = window_->element("ID_PLAYER_BTTIMELINE").Width;
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, QPoint(left + thumb / 2 + width / 2, hot.center().y()));
    EXPECT_EQ(sink_.Values(cmd::SeekDrag), std::vector<int>{1}) << "the controller leaves the thumb alone";
    // The thumb is drawn where it is held, not where the playback is.
    window_->RefreshDisplay();
    QTest::mouseMove(window_.get(), QPoint(left + thumb / 2 + width / 4, hot.center().y()));
    EXPECT_EQ(Status(), SeekTooltip(static_cast<long>(width / 4) * 300 / width));
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, QPoint(left + thumb / 2 + width / 4, hot.center().y()));
    EXPECT_EQ(sink_.Values(cmd::SeekTo), std::vector<int>{static_cast<int>(static_cast<long>(width / 4) * 300 / width)});
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::SeekDrag, cmd::SeekTo}));

    sink_.sent.clear();
    state().isUrlStream = 1;
    Click(hot.center());
    EXPECT_TRUE(Sent().empty()) << "internet streams cannot seek";
}

TEST_F(MainWindowTest, KeysWheelAndMenuCommands) {
    QTest::keyClick(window_.get(), Qt::Key_Space);
    // A held Space toggles once, not with every repeat.
    QTest::keyPress(window_.get(), Qt::Key_Space, {}, -1);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(window_.get(), &repeat);
    QApplication::sendEvent(window_.get(), &repeat);
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::Play, cmd::Play}));
    sink_.sent.clear();
    QTest::keyClick(window_.get(), Qt::Key_Return);
    window_->SetSeekText("위치 이동 - 00:10");
    QTest::keyClick(window_.get(), Qt::Key_Right);
    EXPECT_EQ(Status(), "") << "no seek message while nothing is loaded";
    state().isPaused = 1;
    QTest::keyClick(window_.get(), Qt::Key_Left);
    EXPECT_EQ(Status(), "위치 이동 - 00:10");
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::TenSecNext, cmd::TenSecBack, cmd::Minimize}));

    sink_.sent.clear();
    emit events_.volumeText(QStringLiteral("소리 크기 - 23%"));
    QWheelEvent up(QPointF(10, 10), window_->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120), Qt::NoButton, {},
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(window_.get(), &up);
    EXPECT_EQ(Sent(), std::vector<int>{cmd::VolumeUp});
    EXPECT_EQ(Status(), "소리 크기 - 23%");

    // The menu's own numbers: 32853 is "repeat one" here, 32776 the playlist item
    // (which is "Next" among the controller's commands).
    sink_.sent.clear();
    window_->OnWindowCommand(MainMenuId::RepeatOne);
    state().repeatOff = 0;
    state().repeatOne = 1;
    EXPECT_TRUE(window_->MenuChecked(MainMenuId::RepeatOne));
    EXPECT_FALSE(window_->MenuChecked(MainMenuId::RepeatNone));
    state().shuffle = 0;
    window_->OnWindowCommand(MainMenuId::Shuffle);
    window_->OnWindowCommand(MainMenuId::AlwaysTop);
    window_->OnWindowCommand(MainMenuId::OpenFolder);
    window_->OnWindowCommand(MainMenuId::Exit);
    window_->OnWindowCommand(MainMenuId::Playlist);
    EXPECT_EQ(Sent(), (std::vector<int>{cmd::SetRepeatMode, cmd::SetShuffle, cmd::SetAlwaysTop, cmd::OpenFolderPlay,
                                        cmd::Exit, cmd::ShowList}));
    EXPECT_EQ(sink_.Values(cmd::SetRepeatMode), std::vector<int>{1});
    EXPECT_EQ(sink_.Values(cmd::SetShuffle), std::vector<int>{1});
    state().listShown = 0;
    EXPECT_FALSE(window_->MenuChecked(MainMenuId::Playlist));
    // The accelerator table is read into the window's own numbers.
    EXPECT_FALSE(window_->accelerators().empty());
}

TEST_F(MainWindowTest, StatusMessagesTimeOut) {
    // Timers never fire late by less than the load delays them, and early by at most 5 %
    // (coarse timers): a lower bound on how long a message stays holds on any machine.
    QElapsedTimer shown;
    shown.start();
    ClickButton("ID_BTREPEAT_OFF_DEFAULT");
    EXPECT_TRUE(window_->IsTimerActive(MainWindow::kStatusTimer));
    EXPECT_FALSE(Status().empty());
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return Status().empty(); }));
    EXPECT_GE(shown.elapsed(), 1400) << "a button's message stays 1.5 s";
    EXPECT_FALSE(window_->IsTimerActive(MainWindow::kStatusTimer));

    // A wheel step's message goes after half a second; a new message replaces it.
    emit events_.volumeText(QStringLiteral("소리 크기 - 20%"));
    QWheelEvent down(QPointF(10, 10), window_->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    shown.restart();
    QApplication::sendEvent(window_.get(), &down);
    EXPECT_FALSE(Status().empty());
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return Status().empty(); }));
    EXPECT_GE(shown.elapsed(), 450) << "a wheel step's message stays half a second";
}

TEST_F(MainWindowTest, RepaintsOnlyWhatChanged) {
    PaintSpy spy;
    window_->installEventFilter(&spy);
    window_->RefreshDisplay();  // the first refresh after showing draws everything
    QApplication::processEvents();
    spy.painted = QRegion();
    spy.count = 0;
    window_->RefreshDisplay();
    window_->RefreshDisplay();
    QApplication::processEvents();
    EXPECT_EQ(spy.count, 0) << "nothing changed, nothing repainted";

    state().volume = state().volumeMax / 2;
    window_->RefreshDisplay();
    QApplication::processEvents();
    EXPECT_EQ(spy.count, 1);
    const SkinElement& full = window_->element("ID_PLAYER_IVOLUMELINE_FULL");
    const QRect slider(full.rect.left, 0, full.Width + window_->element("ID_PLAYER_BTVOLUMELINE").Width, window_->height());
    EXPECT_TRUE(slider.contains(spy.painted.boundingRect())) << "only the volume slider";
    window_->removeEventFilter(&spy);
}

TEST_F(MainWindowTest, KeptElementsFollowTheButtonsLooksAndTheSkin) {
    ASSERT_NE(window_->element("ID_BTNEXT_OVER").defaultBitmap, window_->element("ID_BTNEXT_DEFAULT").defaultBitmap);
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_BTNEXT_DEFAULT"));
    QTest::mouseMove(window_.get(), Centre("ID_BTNEXT_DEFAULT"));
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_BTNEXT_OVER")) << "hovered";
    QTest::mouseMove(window_.get(), Centre("ID_BTPLAY_DEFAULT"));
    EXPECT_TRUE(Shows(window_->ComposeWindow(), "ID_BTNEXT_DEFAULT")) << "left again";
    QTest::mouseMove(window_.get(), QPoint(2, 2));  // on no button
    const QImage before = window_->ComposeWindow();
    // The same skin with another logo: the window keeps its size, the picture changes.
    test::TempFolder folder;
    std::filesystem::copy(test::GeneratedSkin("Default"), folder.path(), std::filesystem::copy_options::recursive);
    std::string logo = window_->element("ID_PLAYER_ROGO").defaultImage;
    std::replace(logo.begin(), logo.end(), '\\', '/');
    QImage other(window_->element("ID_PLAYER_ROGO").defaultBitmap.size(), QImage::Format_RGB32);
    other.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(other.save(QString::fromStdString((folder.path() / "image" / logo).string()), "BMP"));
    CurrentSkinFolder = folder.str();
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
    window_->ReloadSkin();
    MainWindow fresh(sink_, view_, events_);
    EXPECT_NE(fresh.ComposeWindow(), before);
    EXPECT_EQ(window_->ComposeWindow(), fresh.ComposeWindow()) << "the new skin's picture";
}

TEST_F(MainWindowTest, ChangesWhilePlayingAreRepaintedByTheNextTick) {
    state().isPlaying = 1;
    state().lengthSeconds = 300;
    state().titleText = "짧은 제목";
    emit events_.playbackStarted();
    ASSERT_TRUE(window_->Ticking());
    QApplication::processEvents();  // what the start repaints
    PaintSpy spy;
    window_->installEventFilter(&spy);
    auto repainted = [&](const QRect& area) {
        return test::WaitUntilWithEvents([&] { return spy.painted.intersects(area); });
    };
    auto slot = [this](const char* id) {
        const SkinRect& r = window_->element(id).rect;
        return QRect(r.left, r.top, std::max(r.Width(), 1), std::max(r.Height(), 1));
    };

    spy.painted = QRegion();
    state().titleText = "다른 제목";
    emit events_.titleChanged(QStringLiteral("다른 제목"));
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return window_->StripText() == QStringLiteral("다른 제목"); }));
    EXPECT_TRUE(repainted(window_->PlacedRect("ID_LCD_MP3INFO_GROUND"))) << "the title";

    spy.painted = QRegion();
    view_.position = 61;
    emit events_.displayChanged();
    EXPECT_TRUE(repainted(slot("ID_NOWTIME_SECRIGHT"))) << "the time";
    EXPECT_TRUE(SlotShows(window_->ComposeWindow(), "ID_NOWTIME_SECRIGHT", "ID_LCD_NOWTIME_NUMBER", 1));

    spy.painted = QRegion();
    state().isPlaying = 0;
    state().isPaused = 1;
    emit events_.displayChanged();
    EXPECT_TRUE(repainted(window_->PlacedRect("ID_LCD_WAIT_ON_DEFAULT"))) << "the lamps";
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return !window_->Ticking(); })) << "a pause stops the tick";
    const QImage image = window_->ComposeWindow();
    EXPECT_TRUE(Shows(image, "ID_LCD_WAIT_ON_DEFAULT"));
    EXPECT_TRUE(Shows(image, "ID_BTPLAY_DEFAULT"));
    window_->removeEventFilter(&spy);
}

TEST_F(MainWindowTest, HiddenOrMinimisedWindowSleepsAndCatchesUpWhenShown) {
    state().isPlaying = 1;
    state().titleText = std::string(60, 'W');
    emit events_.playbackStarted();
    ASSERT_TRUE(window_->Ticking());
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return view_.fetches > 0 && window_->titleX() < 0; }));

    window_->hide();
    EXPECT_FALSE(window_->Ticking()) << "no wake-up: nothing fetched, stepped or scrolled";
    for (int id : {1, 2, 4}) EXPECT_TRUE(window_->IsTimerActive(id)) << id << " still runs, asleep";
    PaintSpy spy;
    window_->installEventFilter(&spy);
    state().volume = state().volumeMax;
    emit events_.displayChanged();
    window_->RefreshDisplay();
    QApplication::processEvents();
    EXPECT_EQ(spy.count, 0);

    const int x = window_->titleX();
    window_->show();
    EXPECT_TRUE(window_->Ticking());
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return window_->titleX() != x; })) << "the title moves on";

    window_->showMinimized();
    QApplication::processEvents();
    if (window_->isMinimized()) {
        EXPECT_FALSE(window_->Ticking()) << "minimised";
    }
    window_->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(window_->Ticking());
    window_->removeEventFilter(&spy);
}

TEST_F(MainWindowTest, ASkinWithoutAnalyserFetchesNoSpectrum) {
    // The default skin without the analyser's ground picture.
    test::TempFolder folder;
    std::filesystem::copy(test::GeneratedSkin("Default"), folder.path(), std::filesystem::copy_options::recursive);
    std::string ground = window_->element("ID_LCD_SPEC_GROUND").defaultImage;
    std::replace(ground.begin(), ground.end(), '\\', '/');
    ASSERT_TRUE(std::filesystem::remove(folder.path() / "image" / ground));
    CurrentSkinFolder = folder.str();
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
    window_->ReloadSkin();
    state().isPlaying = 1;
    state().titleText = std::string(60, 'W');
    emit events_.playbackStarted();
    // Ten ticks at least, three of them fetch ticks for a skin with an analyser.
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return window_->titleX() < -10; }));
    EXPECT_EQ(view_.fetches, 0);

    CurrentSkinFolder = test::GeneratedSkin("Default");
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
    window_->ReloadSkin();
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return view_.fetches > 0; })) << "with the analyser back";
}

TEST_F(MainWindowTest, LongTitleScrollsAndTimersStopThemselvesWhenNothingPlays) {
    state().isPlaying = 1;
    state().titleText = std::string(60, 'W');
    emit events_.playbackStarted();  // the controller's stream start
    for (int id : {1, 2, 4}) EXPECT_TRUE(window_->IsTimerActive(id)) << id;
    EXPECT_TRUE(test::WaitUntilWithEvents([this] { return window_->titleX() < -3; })) << "the title moves left";
    EXPECT_EQ(window_->StripText(), QString(60, 'W'));
    // A new title is shown at once, even with the timers stopped.
    state().isPlaying = 0;
    EXPECT_TRUE(test::WaitUntilWithEvents([this] {
        return !window_->IsTimerActive(1) && !window_->IsTimerActive(2) && !window_->IsTimerActive(4);
    }));
    state().titleText = "태그 제목";
    emit events_.titleChanged(QStringLiteral("태그 제목"));
    EXPECT_EQ(window_->StripText(), QStringLiteral("태그 제목"));
}

// The player's modes are saved by the player itself (ControllerTest).
TEST_F(MainWindowTest, SavesItsRectangle) {
    window_->move(120, 80);
    window_->SaveSettings();
    const QRect r = window_->geometry();
    for (const char* prefix : {"Main.Size.", "Tavora.Size."}) {
        const std::string p = prefix;
        EXPECT_EQ(ReadRegDword(keys::kSize, p + "Left"), r.left());
        EXPECT_EQ(ReadRegDword(keys::kSize, p + "Top"), r.top());
        EXPECT_EQ(ReadRegDword(keys::kSize, p + "Right"), r.left() + r.width());
        EXPECT_EQ(ReadRegDword(keys::kSize, p + "Bottom"), r.top() + r.height());
    }
}

TEST_F(MainWindowTest, TooltipsNameTheButtonUnderTheCursor) {
    const std::vector<std::pair<const char*, const char*>> tools = {
        {"ID_BTMINI_DEFAULT", "최소화"}, {"ID_BTPLAY_DEFAULT", "재생"},     {"ID_BTSOUNDON_DEFAULT", "음소거"},
        {"ID_BTREPEAT_OFF_DEFAULT", "반복재생"}, {"ID_BTSHUFFLE_INORDER_DEFAULT", "랜덤재생"},
        {"ID_BTCLOSE_DEFAULT", "종료"},  {"ID_BTBACK_DEFAULT", "이전곡"},   {"ID_BTNEXT_DEFAULT", "다음곡"},
        {"ID_BTSTOP_DEFAULT", "정지"},   {"ID_BTOPEN_DEFAULT", "열기"},     {"ID_BTPLON_DEFAULT", "리스트"},
        {"ID_BTEQON_DEFAULT", "이퀄라이저"}};
    for (const auto& [id, text] : tools) {
        const QPoint at = Centre(id);
        QHelpEvent help(QEvent::ToolTip, at, window_->mapToGlobal(at));
        QApplication::sendEvent(window_.get(), &help);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8(text)) << id;
    }
}

TEST_F(MainWindowTest, AnotherSkinSendsItsSliderLengths) {
    CurrentSkinFolder = test::GeneratedSkin("Nimbus");
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
    window_->ReloadSkin();
    EXPECT_EQ(window_->size(), QSize(window_->element("ID_PLAYER_IMAIN").Width, window_->element("ID_PLAYER_IMAIN").Height));
    EXPECT_EQ(sink_.Values(cmd::SetVolumeRange), std::vector<int>{window_->element("ID_PLAYER_IVOLUMELINE_FULL").Width});
    EXPECT_EQ(sink_.Values(cmd::SetPositionRange), std::vector<int>{window_->element("ID_PLAYER_ITIMELINE_FULL").Width});

    // A skin that does not parse leaves everything as it was.
    sink_.sent.clear();
    test::TempFolder broken;
    test::WriteText(broken.path() / "TavoraSkin.xml", "<TavoraSkin><MainControl>");
    CurrentSkinFolder = broken.str();
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
    const QSize before = window_->size();
    window_->ReloadSkin();
    EXPECT_EQ(window_->size(), before);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(window_->ComposeWindow().isNull());
}

TEST_F(MainWindowTest, FollowsTheShutdownAndAnnouncesItsMoves) {
    QSignalSpy moved(&events_, &PlayerEvents::mainWindowRectChanged);
    window_->move(140, 90);
    QApplication::processEvents();
    ASSERT_GE(moved.count(), 1);
    EXPECT_EQ(events_.mainWindowRect(), window_->frameGeometry());
    state().volume = 41;
    state().isPlaying = 1;
    emit events_.playbackStarted();
    emit events_.shutdownPhase(ShutdownPhase::StopPlayback);
    EXPECT_FALSE(window_->IsTimerActive(MainWindow::kDisplayTimer));
    emit events_.shutdownPhase(ShutdownPhase::Save);
    EXPECT_EQ(ReadRegDword(keys::kSize, "Main.Size.Left"), window_->geometry().left());
}

TEST(MainWindowSkinTest, StartsOnAUsableSkinOrAtAPlainSizeButNeverInvisible) {
    test::App();
    test::TempRegistry reg;
    const std::filesystem::path runtime = reg.dir() / "runtime";
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    test::TempFolder install;
    const std::filesystem::path skins = install.path() / "skin";
    WriteRegString(keys::kRoot, keys::kInstallDir, install.str());
    WriteRegString(keys::kSkin, kSelectSkinNameValue, "Mine");
    test::WriteSkinFolder(skins / "Mine", "Mine", test::MainGround("0", "0"));
    std::filesystem::create_directory_symlink(test::GeneratedSkin("Default"), skins / "Default");
    std::vector<std::string> notices;
    SetSkinNotice([&notices](const std::string& text) { notices.push_back(text); });
    RecordingSink sink;
    PlainView view;
    PlayerEvents events;
    auto start = [&] {
        CurrentSkinFolder.clear();
        CurrentSkinFile.clear();
        notices.clear();
        // The player's choice of skin for the process, made before its first window.
        ChooseStartupSkin([&sink](int command) { sink.Post(static_cast<cmd::Command>(command), {}); });
        return std::make_unique<MainWindow>(sink, view, events);
    };

    // The user's skin would give a window of no size: the shipped default takes over.
    auto window = start();
    EXPECT_EQ(CurrentSkinFolder, (skins / "Default").string());
    const SkinElement& background = window->element("ID_PLAYER_IMAIN");
    EXPECT_GE(background.Width, 100);
    EXPECT_EQ(window->size(), QSize(background.Width, background.Height));
    EXPECT_EQ(notices.size(), 1u);
    window.reset();

    // Nothing usable is installed: a plain window, still there to be moved and closed.
    std::filesystem::remove(skins / "Default");
    window = start();
    EXPECT_EQ(window->size(), QSize(kFallbackMainWidth, kFallbackMainHeight));
    EXPECT_EQ(notices.size(), 1u);
    window.reset();
    test::WriteText(skins / "Mine" / "TavoraSkin.xml", "\x01\x02 not a skin");
    window = start();
    EXPECT_EQ(window->size(), QSize(kFallbackMainWidth, kFallbackMainHeight));
    window.reset();
    SetSkinNotice({});
}
