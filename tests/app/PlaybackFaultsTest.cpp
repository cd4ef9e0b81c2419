// Playback failures that must leave a consistent player: a tempo wrapper that cannot
// be made, and the playing extracted file deleted from the list.
#include <atomic>
#include <filesystem>
#include <thread>

#include "AudioLibrary.h"
#include "Commands.h"
#include "PlaybackTestSupport.h"
#include "StreamPlayback.h"

using namespace tavora;

namespace {
// The engine table entry put in place of BASS_FX_TempoCreate: remembers the source it
// was given and fails, as the tempo module does when it cannot take a stream.
HSTREAM g_refusedSource = 0;
int g_tempoCalls = 0;
HSTREAM RefuseTempo(DWORD chan, DWORD) {
    g_refusedSource = chan;
    ++g_tempoCalls;
    return 0;
}
}  // namespace

TEST_F(PlaybackControllerTest, FailedTempoWrapperLeavesNothingPlayingAndShowsTheErrorOnce) {
    Add(Tone("a.wav", 5));
    Add(Tone("b.wav", 5));
    Add(Tone("c.wav", 5));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);

    BassFunctions table = dlg()->audio().Bass();
    const BassFunctions real = table;
    table.BASS_FX_TempoCreate = &RefuseTempo;
    dlg()->audio().ReplaceBass(table);
    g_tempoCalls = 0;
    dlg()->SendCommand(cmd::Next);
    EXPECT_FALSE(state().isPlaying);
    EXPECT_FALSE(state().isPaused);
    EXPECT_EQ(state().channelHandle, 0u);
    ASSERT_EQ(g_tempoCalls, 1);  // the advance stops at the failed row instead of trying the rest
    // The source the wrapper refused is freed, not left decoding in the engine.
    BASS_CHANNELINFO info{};
    EXPECT_FALSE(real.BASS_ChannelGetInfo(g_refusedSource, &info));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_.front().rfind("Couldn't create a resampled stream!\n( error code: ", 0), 0u);

    // From a stopped player the same: one message, nothing playing; then with the real
    // table again a row plays normally.
    dlg()->SendCommand(cmd::Next);
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(messages_.size(), 2u);
    dlg()->audio().ReplaceBass(real);
    dlg()->SendCommand(cmd::Back);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_NE(state().channelHandle, 0u);
}

// The delete commands run on the UI thread; the playing extracted file's stream is
// freed there directly (a queued call waiting for the same thread would never run).
TEST_F(PlaybackControllerTest, DeletingThePlayingExtractedRowStopsItAndDeletesTheFile) {
    const std::filesystem::path install = reg_.dir() / "install";
    std::filesystem::create_directories(install / "Temp");
    const std::string extracted = Tone("install/Temp/from archive.wav", 5);
    dlg()->playlist().SetInstallFolder(install.string());
    Add(Tone("kept.wav", 5));
    Add(extracted);
    dlg()->playlist().SetSelectedIndex(1);
    dlg()->SendCommand(cmd::PlayListSelect);
    ASSERT_TRUE(state().isPlaying);

    dlg()->playlist().DeleteSelectedEntries({1});
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, 0u);
    EXPECT_FALSE(std::filesystem::exists(extracted));
    EXPECT_EQ(dlg()->playlist().RowCount(), 1);
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), -1);
}

// A list load that replaces the list runs on a worker: there the stream is stopped by
// the UI thread while the worker waits.
TEST_F(PlaybackControllerTest, ClearingTheListFromAWorkerStopsThePlayingExtractedFile) {
    const std::filesystem::path install = reg_.dir() / "install";
    std::filesystem::create_directories(install / "Temp");
    const std::string extracted = Tone("install/Temp/x.wav", 5);
    dlg()->playlist().SetInstallFolder(install.string());
    Add(extracted);
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    std::atomic<bool> cleared{false};
    std::thread worker([&] {
        dlg()->playlist().DeleteAllEntries();
        cleared = true;
    });
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return cleared.load(); }));
    worker.join();
    EXPECT_FALSE(state().isPlaying);
    EXPECT_FALSE(std::filesystem::exists(extracted));
}
