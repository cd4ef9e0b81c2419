#include <algorithm>
#include <filesystem>
#include <set>
#include <fstream>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "PlaylistModel.h"
#include "PlaylistTestSupport.h"

namespace tavora {
namespace {

void AddSongs(PlaylistModel& model, int count, const std::string& prefix = "/music/song") {
    for (int i = 0; i < count; ++i)
        model.AddEntry("title" + std::to_string(i), "03:00", prefix + std::to_string(i) + ".mp3");
}

using test::Titles;

TEST(PlaylistModelRows, DeletingRowsTwoAndFourOfSixKeepsLabelsAndLastIndex) {
    PlaylistModel model;
    AddSongs(model, 6);
    model.DeleteSelectedEntries({4, 2});
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"title0", "title1", "title3", "title5"}));
    EXPECT_EQ(model.LastIndex(), 3);
    const auto rows = model.Entries();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rows[static_cast<size_t>(i)].label, "  " + std::to_string(i + 1) + ".");
}

TEST(PlaylistModelRows, CurrentIndexFollowsItsRowThroughDeletion) {
    PlaylistModel model;
    AddSongs(model, 6);
    model.SetCurrentIndex(3);
    model.MarkCurrentRow(3);
    model.DeleteSelectedEntries({1});
    EXPECT_EQ(model.CurrentIndex(), 2);
    EXPECT_EQ(model.MarkedRow(), 2);
    EXPECT_TRUE(model.Entry(2)->isCurrent);
    EXPECT_EQ(model.Entry(2)->title, "title3");

    model.DeleteSelectedEntries({2});  // the playing row
    EXPECT_EQ(model.CurrentIndex(), -1);
    EXPECT_EQ(model.MarkedRow(), -1);
    for (const auto& e : model.Entries()) EXPECT_FALSE(e.isCurrent);

    // One past the last row (after the list played out) stays one past the last row.
    model.SetCurrentIndex(model.RowCount());
    model.DeleteSelectedEntries({0, 1});
    EXPECT_EQ(model.CurrentIndex(), model.RowCount());
}

TEST(PlaylistModelRows, DeleteIgnoresBadIndicesAndDeleteAllResets) {
    PlaylistModel model;
    AddSongs(model, 3);
    model.DeleteSelectedEntries({-1, 7, 1, 1});
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"title0", "title2"}));
    model.SetCurrentIndex(1);
    model.DeleteAllEntries();
    EXPECT_EQ(model.LastIndex(), -1);
    EXPECT_EQ(model.CurrentIndex(), -1);
    EXPECT_TRUE(model.ShuffleOrder().empty());
    EXPECT_EQ(model.ShufflePos(), -1);
}

TEST(PlaylistModelRows, GetEntryFieldOutsideTheListIsEmpty) {
    PlaylistModel model;
    AddSongs(model, 2);
    EXPECT_EQ(model.GetEntryField(-1, kColumnTitle), "");
    EXPECT_EQ(model.GetEntryField(2, kColumnTitle), "");
    EXPECT_EQ(model.GetEntryField(0, 4), "");
    EXPECT_EQ(model.GetEntryField(1, kColumnLabel), "  2.");
    EXPECT_EQ(model.GetEntryField(1, kColumnPath), "/music/song1.mp3");
}

TEST(PlaylistModelRows, MoveKeepsTheCurrentSongMarked) {
    PlaylistModel model;
    AddSongs(model, 6);
    model.SetCurrentIndex(2);
    model.MarkCurrentRow(2);
    // Rows 2 and 3 dropped on row 5 go after the row that was fifth.
    const int first = model.MoveEntries({1, 2}, 4);
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"title0", "title3", "title4", "title1", "title2", "title5"}));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(model.CurrentIndex(), 4);
    EXPECT_TRUE(model.Entry(4)->isCurrent);
    // Moving up places the rows before the row under the cursor.
    model.MoveEntries({4}, 0);
    EXPECT_EQ(model.Entry(0)->title, "title2");
    EXPECT_EQ(model.CurrentIndex(), 0);
}

TEST(PlaylistModelRows, UpdateEntryRefusesARowThatNowHoldsAnotherSong) {
    PlaylistModel model;
    AddSongs(model, 3);
    model.DeleteSelectedEntries({0});
    EXPECT_FALSE(model.UpdateEntry(0, "/music/song0.mp3", "stale", "01:00"));
    EXPECT_TRUE(model.UpdateEntry(0, "/music/song1.mp3", "Tagged", "04:05"));
    EXPECT_EQ(model.Entry(0)->title, "Tagged");
    EXPECT_EQ(model.Entry(0)->time, "04:05");
}

TEST(PlaylistModelShuffle, OrderCoversEveryRowAfterEachChange) {
    PlaylistModel model;
    model.AddEntries({{"a", "", "/a"}, {"b", "", "/b"}, {"c", "", "/c"}});
    auto order = model.ShuffleOrder();
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(model.ShufflePos(), -1);

    {
        EntryGuard guard(model);
        model.SetShufflePosLocked(guard, 2);
    }
    model.AddEntry("d", "", "/d");
    order = model.ShuffleOrder();
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(model.ShufflePos(), -1);

    model.DeleteSelectedEntries({0});
    EXPECT_EQ(model.ShuffleOrder().size(), 3u);
}

TEST(PlaylistModelShuffle, DrawsEveryPermutation) {
    PlaylistModel model;
    model.SeedShuffle(11);
    model.AddEntries({{"a", "", "/a"}, {"b", "", "/b"}, {"c", "", "/c"}});
    std::set<std::vector<int>> seen;
    for (int i = 0; i < 600; ++i) {
        model.RebuildShuffleOrder();
        seen.insert(model.ShuffleOrder());
    }
    EXPECT_EQ(seen.size(), 6u);
}

struct RecordingObserver : PlaylistObserver {
    std::mutex lock;
    std::vector<std::string> calls;
    void Note(std::string s) {
        std::lock_guard g(lock);
        calls.push_back(std::move(s));
    }
    void RowsAdded(int first, int count) override { Note("added " + std::to_string(first) + "+" + std::to_string(count)); }
    void RowsRemoved(const std::vector<int>& rows) override { Note("removed " + std::to_string(rows.size())); }
    void AllRowsRemoved() override { Note("all removed"); }
    void CurrentRowChanged(int row) override { Note("current " + std::to_string(row)); }
    void LayoutNeeded(int rowCount) override { Note("layout " + std::to_string(rowCount)); }
};

TEST(PlaylistModelObservers, AreToldAfterTheLockIsReleased) {
    PlaylistModel model;
    struct ReadingObserver : RecordingObserver {
        PlaylistModel* model = nullptr;
        int countSeen = -1;
        void LayoutNeeded(int rowCount) override {
            countSeen = model->RowCount();  // would deadlock if called under EntryLock
            RecordingObserver::LayoutNeeded(rowCount);
        }
    } observer;
    observer.model = &model;
    model.AddObserver(&observer);
    model.AddEntries({{"a", "", "/a"}, {"b", "", "/b"}});
    model.MarkCurrentRow(1);
    model.DeleteSelectedEntries({0});
    model.DeleteAllEntries();
    model.RemoveObserver(&observer);
    model.AddEntry("c", "", "/c");
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"added 0+2", "layout 2", "current 1", "removed 1", "layout 1",
                                                        "all removed", "layout 0"}));
    EXPECT_EQ(observer.countSeen, 0);
}

// A guard proves that EntryLock of its own model is held; one of another model would let
// the call change rows unlocked. The check stays in the builds the tests run (no NDEBUG
// escape), so a wrong guard stops the program with the place of the breach.
TEST(PlaylistModelGuards, AGuardOfAnotherModelIsCaughtInEveryBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    PlaylistModel mine, other;
    mine.AddEntry("a", "", "/a");
    {
        EntryGuard guard = mine.LockEntries();
        EXPECT_EQ(mine.AddEntryLocked(guard, "b", "", "/b"), 1);  // the right guard passes
    }
    EXPECT_DEATH(
        {
            EntryGuard guard = other.LockEntries();
            mine.SetCurrentIndexLocked(guard, 0);
        },
        "PlaylistModel(Indices)?\\.cpp:[0-9]+: check failed: guard\\.Guards\\(\\*this\\)");
    EXPECT_EQ(mine.RowCount(), 2);
    EXPECT_EQ(mine.CurrentIndex(), -1);
}

// Archive songs are extracted below the install folder's "Temp/"; deleting their rows
// deletes the files, freeing the playing stream first when it is one of them.
TEST(PlaylistModelFiles, DeletingExtractedRowsRemovesTheirFiles) {
    test::TempFolder tmp;
    const auto install = tmp.path() / "install";
    const std::string playing = tmp.Write("install/Temp/a.mp3");
    const std::string other = tmp.Write("install/Temp/b.mp3");
    const std::string outside = tmp.Write("keep.mp3");
    const std::string lookalike = tmp.Write("install/temp.mp3");

    PlaylistModel model;
    model.SetInstallFolder(install.string());
    int freed = 0;
    model.SetCurrentStreamReleaser([&] {
        ++freed;
        EXPECT_TRUE(std::filesystem::exists(playing));  // freed before its file goes
    });
    model.AddEntries({{"a", "압축", playing}, {"b", "압축", other}, {"k", "", outside}, {"t", "", lookalike}});
    model.SetCurrentIndex(0);
    model.DeleteSelectedEntries({0, 2, 3});
    EXPECT_EQ(freed, 1);
    EXPECT_FALSE(std::filesystem::exists(playing));
    EXPECT_TRUE(std::filesystem::exists(outside));
    EXPECT_TRUE(std::filesystem::exists(lookalike));
    model.DeleteAllEntries();
    EXPECT_EQ(freed, 1);  // b.mp3 was not playing
    EXPECT_FALSE(std::filesystem::exists(other));
}

// Rows may name anything (a PLS or M3U line, a handed-over path): a delete removes only
// what really lies in Temp, never through a ".." step or a link, and a link in Temp goes
// as a link.
TEST(PlaylistModelFiles, DeletingNeverReachesOutsideTheTempFolder) {
    test::TempFolder tmp;
    const std::string install = (tmp.path() / "install").string();
    const std::string victim = tmp.Write("music/x.mp3");
    const std::string own = tmp.Write("install/Temp/own.mp3");
    const std::string deep = tmp.Write("install/Temp/sub/deep.mp3");
    std::filesystem::create_directories(install + "/Temp/folder.mp3");
    std::filesystem::create_symlink(victim, install + "/Temp/link.mp3");
    std::filesystem::create_symlink(tmp.path() / "music", install + "/Temp/music");

    const struct {
        std::string row;
        std::string checked;  // what must (not) exist afterwards
        bool remains;
    } cases[] = {
        {install + "/Temp/../../music/x.mp3", victim, true},
        {install + "/Temp/../Temp/own.mp3", own, true},
        {install + "/Temp/./own.mp3", own, true},
        {install + "/Temp//own.mp3", own, true},
        {install + "/Temp/music/x.mp3", victim, true},  // a linked folder on the way
        {install + "/Temp/folder.mp3", install + "/Temp/folder.mp3", true},
        {install + "/Temp/link.mp3", install + "/Temp/link.mp3", false},
        {install + "/Temp/sub/deep.mp3", deep, false},
    };
    PlaylistModel model;
    model.SetInstallFolder(install);
    for (const auto& c : cases) model.AddEntry("t", "압축", c.row);
    model.DeleteAllEntries();
    for (const auto& c : cases) {
        std::error_code ec;
        EXPECT_EQ(std::filesystem::symlink_status(c.checked, ec).type() != std::filesystem::file_type::not_found,
                  c.remains)
            << c.row;
    }
    EXPECT_TRUE(std::filesystem::exists(victim));

    // Without an install folder nothing is ever deleted.
    PlaylistModel bare;
    bare.AddEntry("t", "압축", own);
    bare.DeleteAllEntries();
    EXPECT_TRUE(std::filesystem::exists(own));
}

TEST(PlaylistEntryText, ExtensionsCompareInOneCaseOnly) {
    EXPECT_TRUE(ExtensionIs("MP3", "mp3"));
    EXPECT_FALSE(ExtensionIs("Mp3", "mp3"));
}

}  // namespace
}  // namespace tavora
