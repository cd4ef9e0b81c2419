// Closing the player while workers are busy: the workers stop before the engine they
// use is unloaded, the list is saved, and a worker stuck in a network call does not
// hold the player open.
#include <QCoreApplication>

#include <atomic>
#include <thread>

#include "AddingTestSupport.h"
#include "PlaylistRegistry.h"

namespace tavora::test {
namespace {

class ShutdownTest : public AddingTest {
protected:
    // The list as stored, read into a model of its own.
    static RowFields Stored() {
        PlaylistModel stored;
        LoadPlaylistFromRegistry(stored, false);
        return Fields(stored);
    }
    // Until the saved list has been restored (only then may the list be saved).
    bool WaitForRestore() {
        return WaitFor([&] { return dlg()->playlistLoaded(); });
    }
};

TEST_F(ShutdownTest, ClosingDuringALongListLoadStopsTheLoadAndSavesWhatWasLoaded) {
    const std::string song = MakeTaggedSong(media_, "tone.mp3", "mp3", "Tone", 1);
    std::vector<std::string> lines = {"#EXTM3U"};
    for (int i = 0; i < 5000; ++i) lines.push_back(song);
    const std::string list = media_.path("long.m3u");
    ASSERT_TRUE(WriteM3uLines(list, lines));
    // The loader spends most of its time inside the engine: a close that unloads the
    // engine under it crashes only now and then, so the close is tried several times.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (attempt > 0) {
            player_.reset();
            SavePlaylistToRegistry(PlaylistModel());  // the next start restores nothing
            player_ = test::PlayerHarness::Bare("");
            dlg()->OnInitDialog();
            RegisterAddingCommands(*dlg(), dialogs_);
        }
        ASSERT_TRUE(WaitForRestore());
        dialogs_->listsToLoad.push_back(list);
        dlg()->SendCommand(cmd::ListLoad);
        ASSERT_TRUE(WaitFor([&] { return model().RowCount() >= 20; }));
        dlg()->SendCommand(cmd::Exit);  // the loader is still probing songs through the engine
        ASSERT_TRUE(dlg()->isDestroyed());
        EXPECT_FALSE(dlg()->workersAbandoned());
        const RowFields rows = Fields(model());
        EXPECT_GE(rows.size(), 20u);
        EXPECT_EQ(Stored(), rows) << "the list as it was when the load stopped";
        for (const auto& [title, time, path] : rows) ASSERT_EQ(time, "00:01") << "every row was probed by the engine";
    }
}

TEST_F(ShutdownTest, AListFromTheCommandLineReplacesTheStoredOneOnlyOnceItHasARow) {
    ASSERT_TRUE(WaitForRestore());
    player_.reset();
    PlaylistModel last;
    last.AddEntry("old", "00:01", "/music/old.mp3");
    SavePlaylistToRegistry(last);
    const RowFields stored = Stored();
    const std::string song = MakeTaggedSong(media_, "tone.mp3", "mp3", "Tone", 1);
    const std::string nothing = media_.path("nothing.m3u");
    ASSERT_TRUE(WriteM3uLines(nothing, {"#EXTM3U", media_.path("missing.mp3")}));
    const std::string one = media_.path("one.m3u");
    ASSERT_TRUE(WriteM3uLines(one, {"#EXTM3U", song}));
    // A start with a list that brings no row, closed after its load: the stored list
    // stays for the next start.
    player_.reset();
    player_ = test::PlayerHarness::Bare("-list" + nothing);
    dlg()->OnInitDialog();
    Settle();
    EXPECT_EQ(model().RowCount(), 0);
    dlg()->SendCommand(cmd::Exit);
    EXPECT_EQ(Stored(), stored);
    // A list that brings a row replaces it.
    player_.reset();
    player_ = test::PlayerHarness::Bare("-list" + one);
    dlg()->OnInitDialog();
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 1; }));
    dlg()->SendCommand(cmd::Exit);
    const RowFields rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<2>(rows[0]), song);
}

TEST_F(ShutdownTest, ClosingWhileAnAddressOpenHangsSavesTheListAndEnds) {
    ASSERT_TRUE(WaitForRestore());
    model().AddEntry("kept", "03:00", "/music/kept.mp3");
    // A stuck open must not hold the player: the child process closes it, checks the
    // save and exits 0; a crash or a hang fails the test.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            LoopbackWebServer server(LoopbackWebServer::Silent());
            dlg()->SendCommand(cmd::CreateUrl, CommandData::Path(server.url("stream.mp3")));
            if (!WaitFor([&] { return server.connections() > 0; })) std::_Exit(2);
            dlg()->SendCommand(cmd::Exit);
            // The row added before stays; the address, never seen to open, is not added.
            const RowFields stored = Stored();
            if (stored.size() != 1 || std::get<0>(stored[0]) != "kept") std::_Exit(3);
            // The engine's pending open is cancelled, or the worker is left behind and the
            // process ends with the controller; either way it ends now and cleanly.
            player_.reset();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavora::test
