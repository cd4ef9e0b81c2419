// Internet streams through the controller: every address is opened off the UI thread,
// a stalled open keeps the player answering and ends with Stop, and a stream row
// reached by Next really plays (the engine reports a playing channel whose position
// moves) with its station texts.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "AudioLibrary.h"
#include "Commands.h"
#include "../support/IcyTestServers.h"
#include "../support/LoopbackWebServer.h"
#include "InternetStream.h"
#include "Messages.h"
#include "PlaybackTestSupport.h"
#include "StreamPlayback.h"

using namespace tavora;

namespace {
constexpr std::chrono::milliseconds kNetworkWait{60000};  // an upper bound for the slowest machine, not a timing
}

TEST_F(PlaybackControllerTest, StalledAddressOpenKeepsTheUiAnsweringAndStopEndsIt) {
    test::LoopbackWebServer silent(test::LoopbackWebServer::Silent());
    Add(Tone("a.wav", 30));
    dlg()->playlist().AddEntry("stall", "URL", silent.url("stall.mp3"));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);

    dlg()->SendCommand(cmd::Next);  // returns while the address is still opening
    ASSERT_TRUE(dlg()->playback().OpeningAddress());
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, 0u);  // the song was stopped for the stream
    EXPECT_EQ(dlg()->windowTitle(), QStringLiteral("버퍼링... 0%"));

    // A command from another thread makes the round trip through the UI thread.
    std::atomic<bool> answered{false};
    std::thread other([&] {
        dlg()->Send(cmd::InsertItem);
        answered = true;
    });
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return answered.load(); }, kNetworkWait));
    other.join();
    EXPECT_TRUE(dlg()->playback().OpeningAddress());  // the round trip did not wait for the open

    dlg()->SendCommand(cmd::Stop);
    EXPECT_FALSE(dlg()->playback().OpeningAddress());
    EXPECT_FALSE(state().isPlaying);
    // When the engine gives up on the server, the stale open's result is dropped.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return dlg()->playback().internet().OpensInFlight() == 0; },
                                          kNetworkWait));
    ASSERT_TRUE(test::DeliverPostedEvents());  // the stale open's result has been handed over
    EXPECT_EQ(state().channelHandle, 0u);
    EXPECT_FALSE(state().isUrlStream);
}

TEST_F(PlaybackControllerTest, ANewerCommandWinsOverAnOpenInProgress) {
    test::LoopbackWebServer silent(test::LoopbackWebServer::Silent());
    Add(Tone("a.wav", 30));
    dlg()->playlist().AddEntry("stall", "URL", silent.url("stall.mp3"));
    dlg()->playlist().SetSelectedIndex(1);
    dlg()->SendCommand(cmd::PlayListSelect);
    ASSERT_TRUE(dlg()->playback().OpeningAddress());
    // Back to the song while the address is still opening: the song plays, and the
    // stalled open can no longer take over.
    dlg()->SendCommand(cmd::Back);
    EXPECT_FALSE(dlg()->playback().OpeningAddress());
    EXPECT_TRUE(state().isPlaying);
    const uint32_t song = state().channelHandle;
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return dlg()->playback().internet().OpensInFlight() == 0; },
                                          kNetworkWait));
    ASSERT_TRUE(test::DeliverPostedEvents());  // the stale open's result has been handed over
    EXPECT_EQ(state().channelHandle, song);
    EXPECT_FALSE(state().isUrlStream);
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), 0);
}

TEST_F(PlaybackControllerTest, ClosingDuringAStalledOpenEnds) {
    test::LoopbackWebServer silent(test::LoopbackWebServer::Silent());
    dlg()->playlist().AddEntry("stall", "URL", silent.url("stall.mp3"));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(dlg()->playback().OpeningAddress());
    // The shutdown waits for the engine to return from the open before it unloads the
    // modules: a crash or a hang here is the failure.
    player_.reset();
}

TEST_F(PlaybackControllerTest, StreamRowReachedByNextPlaysWithItsStationTexts) {
    test::IcyServer icy;
    if (!icy.installed()) GTEST_SKIP() << "no Icecast test server (icecast2/ezstream) on this machine";
    ASSERT_TRUE(icy.running()) << "the Icecast rig did not start:\n" << icy.why();
    const std::string radio = icy["ICY_MP3_URL"];
    Add(Tone("a.wav", 30));
    dlg()->playlist().AddEntry("live.mp3", "URL", radio);
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);

    dlg()->SendCommand(cmd::Next);
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return state().isPlaying && state().isUrlStream; }, kNetworkWait));
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), 1);
    EXPECT_EQ(dlg()->playlist().MarkedRow(), 1);
    // Heard, not just "playing": the engine's channel plays and its position moves.
    const BassFunctions& b = dlg()->audio().Bass();
    EXPECT_EQ(b.BASS_ChannelIsActive(state().channelHandle), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.BASS_ChannelGetInfo(state().channelHandle, &info));
    EXPECT_EQ(info.flags & BASS_STREAM_DECODE, 0u);  // a playable stream, not a decode-only one
    const double start = dlg()->playback().PositionSeconds();
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return dlg()->playback().PositionSeconds() > start + 0.5; },
                                          kNetworkWait));

    // The headers timer brings the bit rate and then a song title, also into the row.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return state().bitrateText == "128"; }, kNetworkWait));
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return state().titleText.find(" - Song ") != std::string::npos; },
                                          kNetworkWait));
    EXPECT_EQ(dlg()->playlist().GetEntryField(1, kColumnTitle), state().titleText);

    dlg()->SendCommand(cmd::Stop);
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, 0u);
}

TEST_F(PlaybackControllerTest, StartUpCommandLineWithAnAddressPlaysIt) {
    test::IcyServer icy;
    if (!icy.installed()) GTEST_SKIP() << "no Icecast test server (icecast2/ezstream) on this machine";
    ASSERT_TRUE(icy.running()) << "the Icecast rig did not start:\n" << icy.why();
    player_.reset();
    player_ = test::PlayerHarness::Bare("-s" + icy["ICY_MP3_URL"]);
    dlg()->OnInitDialog();
    EXPECT_TRUE(dlg()->playback().OpeningAddress());  // its result comes through the event loop
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return state().isPlaying && state().isUrlStream; }, kNetworkWait));
    EXPECT_EQ(dlg()->audio().Bass().BASS_ChannelIsActive(state().channelHandle),
              static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}

namespace {
// An address open that hangs in the engine until the test lets it go, then returns a
// real (file) stream, so the test can see what becomes of a late result.
std::mutex g_gateLock;
std::condition_variable g_gate;
bool g_gateOpen = false;
std::string g_lateFile;
PFN_BASS_StreamCreateFile g_createFile = nullptr;
std::atomic<HSTREAM> g_lateStream{0};
HSTREAM HangingOpen(const char*, DWORD, DWORD, DOWNLOADPROC*, void*) {
    std::unique_lock<std::mutex> lock(g_gateLock);
    g_gate.wait(lock, [] { return g_gateOpen; });
    g_lateStream = g_createFile(FALSE, g_lateFile.c_str(), 0, 0, 0);
    return g_lateStream;
}
void OpenGate() {
    {
        std::lock_guard<std::mutex> lock(g_gateLock);
        g_gateOpen = true;
    }
    g_gate.notify_all();
}
// Lets a hanging open go however the test ends, so the controller can be closed.
struct GateOpener {
    ~GateOpener() { OpenGate(); }
};
}  // namespace

TEST_F(PlaybackControllerTest, AnOpenPastTheProgramsBoundFailsAndItsLateStreamIsFreed) {
    g_lateFile = Tone("late.wav", 2);
    const GateOpener atTheEnd;
    BassFunctions table = dlg()->audio().Bass();
    const BassFunctions real = table;
    g_createFile = real.BASS_StreamCreateFile;
    table.BASS_StreamCreateURL = &HangingOpen;
    dlg()->audio().ReplaceBass(table);
    dlg()->playback().internet().SetOpenLimitMs(100);
    dlg()->playlist().AddEntry("hangs", "URL", "http://127.0.0.1:9/hangs.mp3");
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(dlg()->playback().OpeningAddress());
    // The program gives up by its own bound while the engine still hangs.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return !dlg()->playback().OpeningAddress(); }, kNetworkWait));
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(dlg()->playback().internet().OpensInFlight(), 1);
    OpenGate();
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return dlg()->playback().internet().OpensInFlight() == 0; },
                                          kNetworkWait));
    ASSERT_TRUE(test::DeliverPostedEvents());  // the stale open's result has been handed over
    ASSERT_NE(g_lateStream.load(), 0u);
    BASS_CHANNELINFO info{};
    EXPECT_FALSE(real.BASS_ChannelGetInfo(g_lateStream, &info));  // freed, not adopted
    EXPECT_EQ(state().channelHandle, 0u);
    EXPECT_FALSE(state().isPlaying);
    dlg()->audio().ReplaceBass(real);
}
