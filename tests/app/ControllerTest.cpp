// The controller: initialisation with an empty store, the hand-off dispatch of the
// command-line switches, the shutdown sequence, its own commands and the
// cross-thread message path.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "BackgroundJobs.h"
#include "CommandNumbers.h"
#include "Commands.h"
#include "HandOffArgument.h"
#include "HandOffChannel.h"
#include "MessageBox.h"
#include "Messages.h"
#include "PlayerEvents.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "ProgramInfoWindow.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "ShutdownSignals.h"
#include "PlayerContext.h"
#include "PlayerHarness.h"
#include "QtTestSupport.h"
#include "TempRegistry.h"

using namespace tavora;

namespace {

using tavora::test::App;
using tavora::test::WaitUntilWithEvents;


struct Recorded {
    std::vector<std::pair<std::string, std::string>> calls;  // (action, path)
};

// Records what the hand-off commands are sent with instead of running them.
void Record(CTavoraPlayerDlg& dlg, Recorded& r) {
    const std::pair<cmd::Command, const char*> kinds[] = {
        {cmd::HandOffAdd, "add"}, {cmd::HandOffAddAndPlay, "play"}, {cmd::HandOffLoadM3u, "m3u"}, {cmd::HandOffLoadPls, "pls"}};
    for (const auto& [command, name] : kinds)
        dlg.RegisterCommand(command, [&r, name = name](const CommandData& d) { r.calls.emplace_back(name, d.path); });
}

// A command number sent as another program sends it: through the hand-off socket.
void SendNumber(int number) {
    auto reply = std::async(std::launch::async, [number] {
        return SendHandOff(msg::Command, static_cast<uintptr_t>(number), 0, std::chrono::seconds(30));
    });
    ASSERT_TRUE(WaitUntilWithEvents([&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    ASSERT_TRUE(reply.get().has_value()) << number;
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        runtime_ = reg_.dir() / "runtime";
        std::filesystem::create_directories(runtime_);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        // The engine modules are built into the build folder's "system" folder.
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        SetMessageBoxHandler([this](const QString& text, const QString& caption, MessageIcon) {
            messages_.push_back((caption + ": " + text).toStdString());
        });
    }
    void TearDown() override { SetMessageBoxHandler({}); }
    test::TempRegistry reg_;
    std::vector<std::string> messages_;
    std::filesystem::path runtime_;
};

}  // namespace

TEST_F(ControllerTest, FirstStartWithEmptyStoreUsesDefaults) {
    WriteRegDword(keys::kOutFile, keys::kCount, 7);  // left over from a crash
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), 0);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("타보라 플레이어"));
    EXPECT_EQ(dlg.state().volume, 25);
    EXPECT_EQ(dlg.state().repeatOff, 1);
    EXPECT_EQ(dlg.state().listShown, 1);
    EXPECT_EQ(dlg.state().equalizerShown, 0);
    EXPECT_EQ(dlg.state().crossFade, 1);
    // No saved position: one third of the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dlg.mainRect().topLeft(), QPoint(screen.width() / 3, screen.height() / 3));
    EXPECT_TRUE(dlg.handOffServer() && dlg.handOffServer()->isListening());
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

TEST_F(ControllerTest, WithoutTheEngineOnlyTheVersionMessageAndNoWindows) {
    WriteRegString(keys::kRoot, keys::kInstallDir, reg_.dir().string());  // no "system" folder there
    tavora::test::PlayerHarness player({}, "-add/music/a.mp3");
    CTavoraPlayerDlg& dlg = player.controller();
    Recorded r;
    Record(dlg, r);
    dlg.OnInitDialog();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Incorrect BASS.DLL: BASS version 2.1 was not loaded!");
    EXPECT_EQ(dlg.handOffServer(), nullptr);  // later launches find no player to hand over to
    EXPECT_TRUE(r.calls.empty());              // the command line is not run either
    dlg.SendCommand(cmd::Exit);
    EXPECT_TRUE(dlg.isDestroyed());
}

TEST_F(ControllerTest, NoSoundServerGivesTheOutputMessageAndTheWindowsStill) {
    setenv("TAVORA_AUDIO_OUTPUT", "pulse", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/pulse/native", 1);
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    unsetenv("PULSE_SERVER");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].rfind("Error: Can't initialize digital sound system\n( error code: ", 0), 0u)
        << messages_[0];
    EXPECT_TRUE(dlg.handOffServer() && dlg.handOffServer()->isListening());
}

TEST_F(ControllerTest, SavedPositionIsUsedUnlessNegative) {
    WriteRegDword(keys::kSize, "Tavora.Size.Left", 120);
    WriteRegDword(keys::kSize, "Tavora.Size.Top", 80);
    {
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        dlg.OnInitDialog();
        EXPECT_EQ(dlg.mainRect().topLeft(), QPoint(120, 80));
    }
    WriteRegDword(keys::kSize, "Tavora.Size.Top", -5);
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dlg.mainRect().topLeft(), QPoint(screen.width() / 3, screen.height() / 3));
}

TEST_F(ControllerTest, OwnCommandLineBecomesArgumentOneAndPlaysWithStartOpen) {
    Recorded r;
    tavora::test::PlayerHarness player({}, "-s/music/한글 노래.mp3");
    CTavoraPlayerDlg& dlg = player.controller();
    Record(dlg, r);
    QSignalSpy handled(&dlg, &CTavoraPlayerDlg::handOffHandled);
    dlg.OnInitDialog();
    EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), 1);
    EXPECT_EQ(ReadRegString(keys::kOutFile, "1"), "-s/music/한글 노래.mp3");
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0], std::make_pair(std::string("play"), std::string("/music/한글 노래.mp3")));
    ASSERT_EQ(handled.count(), 1);
    EXPECT_EQ(handled.at(0).at(0).toInt(), 1);
}

// A launch beside a starting player waits until the player's socket answers and then
// takes the next number: the player's own command line must hold number 1 by then, or
// its "-s" would only add the song.
TEST_F(ControllerTest, ALaunchThatHandsOverAsSoonAsTheSocketAnswersComesAfterTheOwnCommandLine) {
    Recorded r;
    tavora::test::PlayerHarness player({}, "-s/music/first.mp3");
    CTavoraPlayerDlg& dlg = player.controller();
    Record(dlg, r);
    std::optional<int> other;
    dlg.AddStartupStep(StartupStep::CreatePlaylistWindow, [&other] {
        // The socket listens from here on: what a second launch does at this moment.
        other = IncrementRegDword(keys::kOutFile, keys::kCount);
        WriteRegString(keys::kOutFile, std::to_string(*other), "-add/music/second.mp3");
    });
    dlg.OnInitDialog();
    ASSERT_EQ(other, 2);
    EXPECT_EQ(ReadRegString(keys::kOutFile, "1"), "-s/music/first.mp3");
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0], std::make_pair(std::string("play"), std::string("/music/first.mp3")));
    dlg.Send(cmd::HandOffArgument, CommandData::Value(2));
    ASSERT_EQ(r.calls.size(), 2u);
    EXPECT_EQ(r.calls[1], std::make_pair(std::string("add"), std::string("/music/second.mp3")));
}

TEST_F(ControllerTest, SwitchesDispatchByNumberAndStartOpen) {
    Recorded r;
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    Record(dlg, r);
    dlg.OnInitDialog();
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !dlg.restoringPlaylist(); }));
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"-add/a b.mp3", {"add", "/a b.mp3"}},
        {"-s/c.mp3", {"add", "/c.mp3"}},  // not argument 1: only added
        {"-list/l.m3u", {"m3u", "/l.m3u"}},
        {"-pls/p.pls", {"pls", "/p.pls"}},
        {"-s\"/quoted.mp3\"", {"add", "\"/quoted.mp3\""}},  // quotes are kept
    };
    int n = 2;
    for (const auto& [text, expected] : cases) {
        WriteRegString(keys::kOutFile, std::to_string(n), text);
        dlg.Send(cmd::HandOffArgument, CommandData::Value(n++));
        ASSERT_FALSE(r.calls.empty());
        EXPECT_EQ(r.calls.back(), std::make_pair(std::string(expected.first), std::string(expected.second)));
    }
    // Unknown switches and bare paths do nothing.
    const size_t before = r.calls.size();
    for (const char* text : {"/music/bare.mp3", " -add/x.mp3", "-x/y", ""}) {
        WriteRegString(keys::kOutFile, std::to_string(n), text);
        dlg.Send(cmd::HandOffArgument, CommandData::Value(n++));
    }
    EXPECT_EQ(r.calls.size(), before);
    // "-s" as argument 1 with StartOpen = 0 only adds.
    WriteRegDword(keys::kControl, "StartOpen", 0);
    WriteRegString(keys::kOutFile, "1", "-s/first.mp3");
    dlg.Send(cmd::HandOffArgument, CommandData::Value(1));
    EXPECT_EQ(r.calls.back(), std::make_pair(std::string("add"), std::string("/first.mp3")));
}

TEST_F(ControllerTest, ArgumentsHandedOverDuringTheRestoreRunAfterItInOrder) {
    WriteRegDword(keys::kPlayListCount, "ListCount", 3);
    for (int i = 0; i < 3; ++i) {
        WriteRegString(keys::kPlayListName, std::to_string(i), "saved " + std::to_string(i));
        WriteRegString(keys::kPlayListTime, std::to_string(i), "00:01");
        WriteRegString(keys::kPlayListPath, std::to_string(i), "/saved/" + std::to_string(i) + ".mp3");
    }
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    // What each handed-over list meets when it runs: the rows in the list by then.
    std::vector<std::pair<std::string, int>> ran;
    for (const auto& [command, name] : {std::pair{cmd::HandOffLoadPls, "pls"}, std::pair{cmd::HandOffLoadM3u, "m3u"},
                                        std::pair{cmd::HandOffAdd, "add"}})
        dlg.RegisterCommand(command, [&ran, &dlg, name = name](const CommandData&) {
            ran.emplace_back(name, dlg.playlist().RowCount());
        });
    // The restore is held at its start: its lock is taken here.
    std::unique_lock hold(dlg.jobs().KindLock("RegistryLoad"));
    dlg.OnInitDialog();
    ASSERT_TRUE(dlg.restoringPlaylist());
    QSignalSpy handled(&dlg, &CTavoraPlayerDlg::handOffHandled);
    const char* texts[] = {"-pls/p.pls", "-list/l.m3u", "-add/a.mp3"};
    for (int n = 2; n <= 4; ++n) {
        WriteRegString(keys::kOutFile, std::to_string(n), texts[n - 2]);
        dlg.Send(cmd::HandOffArgument, CommandData::Value(n));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran.empty());
    hold.unlock();
    ASSERT_TRUE(WaitUntilWithEvents([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<std::pair<std::string, int>>{{"pls", 3}, {"m3u", 3}, {"add", 3}}));
    ASSERT_EQ(handled.count(), 3);
    EXPECT_EQ(handled.at(0).at(0).toInt(), 2);
    EXPECT_EQ(handled.at(2).at(0).toInt(), 4);
    EXPECT_FALSE(dlg.restoringPlaylist());
    // Without a restore running, an argument runs at once.
    WriteRegString(keys::kOutFile, "5", "-add/b.mp3");
    dlg.Send(cmd::HandOffArgument, CommandData::Value(5));
    EXPECT_EQ(ran.size(), 4u);
}

TEST_F(ControllerTest, SwitchParsingOrderAndPlsLimit) {
    EXPECT_EQ(ParseHandOffArgument("-add").kind, HandOffSwitch::Add);
    EXPECT_EQ(ParseHandOffArgument("-add").operand, "");
    EXPECT_EQ(ParseHandOffArgument("-s-add/x").kind, HandOffSwitch::Start);
    EXPECT_EQ(ParseHandOffArgument("-s-add/x").operand, "-add/x");
    EXPECT_EQ(ParseHandOffArgument("-list").kind, HandOffSwitch::List);
    EXPECT_EQ(ParseHandOffArgument("-ADD/x").kind, HandOffSwitch::None);
    const std::string longPath(300, 'p');
    EXPECT_EQ(ParseHandOffArgument("-pls" + longPath).operand.size(), kPlsPathLimit);
    EXPECT_EQ(ParseHandOffArgument("-list" + longPath).operand.size(), 300u);
}

TEST_F(ControllerTest, ExitRunsTheShutdownSequenceOnce) {
    int steps = 0;
    {
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        dlg.AddShutdownStep(ShutdownPhase::Save, [&] { ++steps; });
        dlg.OnInitDialog();
        WriteRegDword(keys::kOutFile, keys::kCount, 5);
        WriteRegDword(keys::kRoot, keys::kUpdateCheck, 1);
        dlg.SetTimer(timer::kMasterVolume, 90);
        dlg.SendCommand(cmd::Exit);
        EXPECT_TRUE(dlg.isDestroyed());
        EXPECT_FALSE(dlg.IsTimerActive(timer::kMasterVolume));
        EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), 0);
        EXPECT_EQ(ReadRegDword(keys::kRoot, keys::kUpdateCheck), 0);
        // Once destroyed, further messages do nothing.
        WriteRegDword(keys::kOutFile, keys::kCount, 3);
        dlg.SendCommand(cmd::Exit);
        EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), 3);
    }
    EXPECT_EQ(steps, 1);
}

TEST_F(ControllerTest, ExitSavesThePlayersModes) {
    CTavoraPlayerDlg dlg("");
    dlg.OnInitDialog();
    PlaybackState& state = dlg.state();
    state.volume = 33;
    state.mute = 1;
    state.repeatOff = 0;
    state.repeatAll = 1;
    state.shuffle = 1;
    state.listShown = 0;
    state.equalizerShown = 1;
    state.equalizerOn = 0;
    dlg.SendCommand(cmd::Exit);
    EXPECT_EQ(ReadRegDword(keys::kControl, "VolumeValue"), 33);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "RepeatOff"), 0);
    EXPECT_EQ(ReadRegDword(keys::kControl, "RepeatAll"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Shuttle"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Equalizer"), 0);
    EXPECT_EQ(ReadRegDword(keys::kView, "List"), 0);
    EXPECT_EQ(ReadRegDword(keys::kView, "Equalizer"), 1);
}

TEST_F(ControllerTest, CloseOnlyHidesWhileAnAutomationClientHoldsThePlayer) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    dlg.SetAutomationHeld(true);
    dlg.SendCommand(cmd::Exit);
    EXPECT_FALSE(dlg.isDestroyed());
    EXPECT_FALSE(dlg.isVisible());
    dlg.SetAutomationHeld(false);
    dlg.SendCommand(cmd::Exit);
    EXPECT_TRUE(dlg.isDestroyed());
}

TEST_F(ControllerTest, CloseAskedForWhileHeldIsCarriedOutWhenTheLastClientLetsGo) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    dlg.SetAutomationHeld(true);
    dlg.SetAutomationHeld(true);  // a second client
    dlg.SendCommand(cmd::Exit);
    EXPECT_FALSE(dlg.isDestroyed());
    dlg.SetAutomationHeld(false);
    EXPECT_TRUE(WaitUntilWithEvents([&] { return dlg.isDestroyed(); }));
    EXPECT_EQ(ReadRegDword(keys::kRoot, keys::kUpdateCheck), 0);  // the shutdown ran and saved
}

TEST_F(ControllerTest, SignalsAndTheSessionsEndEndAHeldPlayerAndSave) {
    // Only a close waits for the automation clients; a kill or the session's end (the
    // session manager's "die" arrives as a Quit event to the application) does not.
    const std::pair<const char*, std::function<void()>> endings[] = {
        {"SIGTERM", [] { std::raise(SIGTERM); }},
        {"SIGINT", [] { std::raise(SIGINT); }},
        {"SIGHUP", [] { std::raise(SIGHUP); }},
        {"session end", [] { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); }},
    };
    // The application itself never gets the Quit: it would end the test program's loops.
    // (A filter installed first runs last, after the player's.)
    struct SwallowQuit : QObject {
        bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Quit; }
    } swallow;
    QCoreApplication::instance()->installEventFilter(&swallow);
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        ShutdownSignals ending([&dlg] { dlg.End(); });
        dlg.OnInitDialog();
        WriteRegDword(keys::kRoot, keys::kUpdateCheck, 5);
        dlg.SetAutomationHeld(true);
        end();
        EXPECT_TRUE(WaitUntilWithEvents([&] { return dlg.isDestroyed(); }));
        EXPECT_EQ(ReadRegDword(keys::kRoot, keys::kUpdateCheck), 0);  // the shutdown ran and saved
    }
}

TEST_F(ControllerTest, ReleaseWithoutACloseKeepsThePlayerRunning) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    dlg.SetAutomationHeld(true);
    dlg.SetAutomationHeld(false);
    ASSERT_TRUE(tavora::test::DeliverPostedEvents());  // anything queued has run
    EXPECT_FALSE(dlg.isDestroyed());
}

TEST_F(ControllerTest, PositionTimerStopsItselfWhenNothingPlays) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    int ticks = 0;
    dlg.RegisterTimer(timer::kPosition, [&] { ++ticks; });
    dlg.state().isPlaying = 1;
    dlg.SetTimer(timer::kPosition, timer::kPositionPeriodMs);
    EXPECT_TRUE(WaitUntilWithEvents([&] { return ticks >= 1; }));
    dlg.state().isPlaying = 0;
    EXPECT_TRUE(WaitUntilWithEvents([&] { return !dlg.IsTimerActive(timer::kPosition); }));
    const int after = ticks;
    // A stopped timer must not tick again over three of its periods.
    ASSERT_TRUE(tavora::test::RunTimerPeriods(std::chrono::milliseconds(timer::kPositionPeriodMs), 3));
    EXPECT_EQ(ticks, after);
}

TEST_F(ControllerTest, TrayModeCommandsKeepExactlyOneRepeatModeAndAnnounceEachChange) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    QSignalSpy changed(&dlg.events(), &PlayerEvents::displayChanged);
    int reshuffled = 0;
    dlg.RegisterCommand(cmd::Shuttle, [&] { ++reshuffled; });
    struct Step {
        int command;  // a number from outside when without a value
        std::optional<int> value;
        std::array<int, 3> repeat;  // off, one, all
        int shuffle;
        int reshuffled;
    };
    // The tray's (and other programs') numbers and the windows' commands with a value
    // are one and the same change.
    const Step steps[] = {
        {cmd::number::RepeatAllMode, {}, {0, 0, 1}, 0, 0}, {cmd::number::RepeatOneMode, {}, {0, 1, 0}, 0, 0},
        {cmd::number::RepeatNone, {}, {1, 0, 0}, 0, 0},    {cmd::SetRepeatMode, 2, {0, 0, 1}, 0, 0},
        {cmd::number::ToggleShuffle, {}, {0, 0, 1}, 1, 1}, {cmd::number::ToggleShuffle, {}, {0, 0, 1}, 0, 1},
        {cmd::SetShuffle, 1, {0, 0, 1}, 1, 2},             {cmd::number::ToggleShuffle, {}, {0, 0, 1}, 0, 2},
    };
    for (const Step& step : steps) {
        const int before = changed.count();
        if (step.value) dlg.SendCommand(static_cast<cmd::Command>(step.command), CommandData::Value(*step.value));
        else SendNumber(step.command);
        const auto& s = dlg.state();
        EXPECT_EQ((std::array<int, 3>{s.repeatOff, s.repeatOne, s.repeatAll}), step.repeat) << step.command;
        EXPECT_EQ(s.shuffle, step.shuffle) << step.command;
        EXPECT_EQ(reshuffled, step.reshuffled) << step.command;
        EXPECT_EQ(changed.count(), before + 1) << step.command;
    }
}

TEST_F(ControllerTest, AlwaysTopToggleIsStoredAndApplied) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    QWidget main;
    dlg.SetMainWindow(&main);
    dlg.OnInitDialog();
    SendNumber(cmd::number::ToggleAlwaysTop);
    EXPECT_EQ(ReadRegDword(keys::kControl, "AlwaysTop"), 1);
    EXPECT_TRUE(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    SendNumber(cmd::number::ToggleAlwaysTop);
    EXPECT_EQ(ReadRegDword(keys::kControl, "AlwaysTop"), 0);
    EXPECT_FALSE(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    dlg.SetMainWindow(nullptr);
}

TEST_F(ControllerTest, AnotherFeaturesWindowHidesAndComesBackWithTheSet) {
    tavora::test::PlayerHarness player({}, "");
    player.controller().OnInitDialog();
    WindowHost& windows = player.context().windows;
    bool wanted = true;
    QWidget extra;
    windows.AddOtherWindow(&extra, [&wanted] { return wanted; });
    // A window that goes before the set is simply left out.
    auto gone = std::make_unique<QWidget>();
    windows.AddOtherWindow(gone.get(), [] { return true; });
    gone.reset();
    extra.show();
    windows.HideWindows();
    EXPECT_FALSE(extra.isVisible());
    windows.ShowWindows();
    EXPECT_TRUE(extra.isVisible());
    windows.HideWindows();
    wanted = false;
    windows.ShowWindows();
    EXPECT_FALSE(extra.isVisible());
}

TEST_F(ControllerTest, MessagesFromWorkerThreadsRunOnTheUiThread) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    std::thread::id ranOn;
    bool posted = false;
    dlg.RegisterCommand(cmd::SortTag, [&] { ranOn = std::this_thread::get_id(); });
    dlg.RegisterCommand(cmd::InvalidateList, [&] { posted = true; });
    std::thread worker([&] {
        dlg.SendCommand(cmd::SortTag);  // waits for the UI thread
        dlg.Post(cmd::InvalidateList);
    });
    // The UI thread keeps handling events while the worker waits.
    ASSERT_TRUE(WaitUntilWithEvents([&] { return ranOn != std::thread::id(); }));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(WaitUntilWithEvents([&] { return posted; }));
}

TEST_F(ControllerTest, ProgramInfoWindowClickClosesAndStaysOne) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    dlg.SendCommand(cmd::InfoProgram);
    ProgramInfoWindow* info = dlg.programInfoWindow();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->size(), QSize(381, 213));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(info->pos(), QPoint(screen.width() / 3, screen.height() / 3));
    EXPECT_TRUE(info->isVisible());
    QTest::mouseClick(info, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_FALSE(info->isVisible());
    dlg.SendCommand(cmd::InfoProgram);
    EXPECT_EQ(dlg.programInfoWindow(), info);  // created once, shown again
    EXPECT_TRUE(info->isVisible());
    // The picture is drawn, not a blank window.
    const QImage shot = info->grab().toImage();
    EXPECT_NE(shot.pixelColor(10, 10), shot.pixelColor(80, 90));
}

TEST_F(ControllerTest, EveryCommandHasAName) {
    for (int id : {32771, 32773, 32788, 32823, 32839, 32856, 32867, 32874})
        EXPECT_FALSE(cmd::CommandName(id).empty()) << id;
    EXPECT_EQ(cmd::CommandName(32788), "List DbClick Play");
    EXPECT_TRUE(cmd::CommandName(1).empty());
}

TEST_F(ControllerTest, SkinReloadLaysThePlaylistOutBelowTheMainWindow) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    QWidget main(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    QWidget list(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    main.setGeometry(200, 150, 300, 100);
    list.setGeometry(10, 10, 50, 50);
    dlg.SetMainWindow(&main);
    dlg.SetPlaylistWindow(&list);
    dlg.OnInitDialog();
    list.hide();
    dlg.SendCommand(cmd::UpdateSkin);
    EXPECT_EQ(list.geometry(), QRect(200, 250, 300, 200));
    EXPECT_FALSE(list.isVisible());  // shown or hidden as before
    EXPECT_EQ(dlg.pos(), QPoint(200, 150));
    dlg.SetMainWindow(nullptr);
    dlg.SetPlaylistWindow(nullptr);
}

// The stored list, read into a model of its own.
static std::vector<std::string> StoredTitles() {
    PlaylistModel stored;
    LoadPlaylistFromRegistry(stored, false);
    std::vector<std::string> titles;
    for (const auto& e : stored.Entries()) titles.push_back(e.title);
    return titles;
}

static void StoreList(const std::vector<std::string>& titles) {
    PlaylistModel model;
    for (const std::string& t : titles) model.AddEntry(t, "03:00", "/music/" + t + ".mp3");
    SavePlaylistToRegistry(model);
}

TEST_F(ControllerTest, AListThatWasNeverLoadedIsNeverSavedOverTheStoredOne) {
    StoreList({"one", "two"});
    {
        // The engine is missing: no windows, no restore; closing keeps the stored list.
        WriteRegString(keys::kRoot, keys::kInstallDir, reg_.dir().string());
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        dlg.OnInitDialog();
        dlg.SendCommand(cmd::Exit);
        ASSERT_TRUE(dlg.isDestroyed());
    }
    EXPECT_EQ(StoredTitles(), (std::vector<std::string>{"one", "two"}));
    {
        // Closed before the initialisation ran.
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        dlg.SendCommand(cmd::Exit);
    }
    EXPECT_EQ(StoredTitles(), (std::vector<std::string>{"one", "two"}));
    // Restored, changed, closed: the change is saved.
    WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return dlg.playlistLoaded() && dlg.playlist().RowCount() == 2; }));
    dlg.playlist().AddEntry("three", "01:00", "/music/three.mp3");
    dlg.SendCommand(cmd::Exit);
    EXPECT_EQ(StoredTitles(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(ControllerTest, ShutdownRunsByPhaseNotByRegistration) {
    std::vector<std::string> ran;
    {
        tavora::test::PlayerHarness player({}, "");
        CTavoraPlayerDlg& dlg = player.controller();
        QObject::connect(&dlg.events(), &PlayerEvents::shutdownPhase, [&](ShutdownPhase phase) {
            ran.push_back("phase " + std::to_string(static_cast<int>(phase)));
        });
        dlg.AddShutdownStep(ShutdownPhase::CloseWindows, [&] { ran.push_back("close"); });
        dlg.AddShutdownStep(ShutdownPhase::FreeEngine, [&] { ran.push_back("engine"); });
        dlg.AddShutdownStep(ShutdownPhase::Save, [&] { ran.push_back("save"); });
        dlg.AddShutdownStep(ShutdownPhase::StopWork, [&] { ran.push_back("work"); });
        dlg.OnInitDialog();
        dlg.SendCommand(cmd::Exit);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"phase 0", "work", "phase 1", "phase 2", "save", "phase 3", "engine",
                                             "phase 4", "close"}));
}

TEST_F(ControllerTest, WindowRequestsChangeTheStateOnlyThroughCommands) {
    tavora::test::PlayerHarness player({}, "");
    CTavoraPlayerDlg& dlg = player.controller();
    dlg.OnInitDialog();
    QSignalSpy changed(&dlg.events(), &PlayerEvents::displayChanged);
    dlg.SendCommand(cmd::SetVolumeRange, CommandData::Value(50));
    dlg.SendCommand(cmd::SetVolume, CommandData::Value(20));
    dlg.SendCommand(cmd::SetMute, CommandData::Value(1));
    EXPECT_EQ(dlg.state().mute, 1);
    dlg.SendCommand(cmd::SetVolume, CommandData::Value(80));  // clamped; taking the slider un-mutes
    EXPECT_EQ(dlg.state().volume, 50);
    EXPECT_EQ(dlg.state().mute, 0);
    // A skin with a longer track keeps the level heard.
    dlg.SendCommand(cmd::SetVolume, CommandData::Value(25));
    dlg.SendCommand(cmd::SetVolumeRange, CommandData::Value(100));
    EXPECT_EQ(dlg.state().volume, 50);
    EXPECT_EQ(dlg.state().volumeMax, 100);
    dlg.SendCommand(cmd::SetRepeatMode, CommandData::Value(2));
    EXPECT_EQ((std::array<int, 3>{dlg.state().repeatOff, dlg.state().repeatOne, dlg.state().repeatAll}),
              (std::array<int, 3>{0, 0, 1}));
    dlg.SendCommand(cmd::SetRepeatMode, CommandData::Value(7));  // no such mode: nothing changes
    dlg.SendCommand(cmd::SetRepeatMode);                         // no value: nothing changes
    EXPECT_EQ(dlg.state().repeatAll, 1);
    int reshuffled = 0;
    dlg.RegisterCommand(cmd::Shuttle, [&] { ++reshuffled; });
    dlg.SendCommand(cmd::SetShuffle, CommandData::Value(1));
    EXPECT_EQ(dlg.state().shuffle, 1);
    EXPECT_EQ(reshuffled, 1);
    dlg.SendCommand(cmd::SeekDrag, CommandData::Value(1));
    EXPECT_EQ(dlg.state().isSeeking, 1);
    dlg.SendCommand(cmd::SeekTo, CommandData::Value(10));  // nothing plays: only the slider is let go
    EXPECT_EQ(dlg.state().isSeeking, 0);
    EXPECT_GE(changed.count(), 3);
}
