#include <string>

#include <gtest/gtest.h>

#include "PlaylistModel.h"
#include "PlaylistRegistry.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"
#include "store/RegistryStore.h"

namespace tavora {
namespace {

void Fill(PlaylistModel& model, int count) {
    for (int i = 0; i < count; ++i)
        model.AddEntry("노래 " + std::to_string(i), "0" + std::to_string(i) + ":00", "/music/" + std::to_string(i) + ".mp3");
}

TEST(PlaylistRegistry, SavesTheDocumentedLayoutAndLoadsItBack) {
    test::TempRegistry registry;
    PlaylistModel saved;
    Fill(saved, 3);
    saved.AddEntry("radio", "URL", "http://127.0.0.1:8000/live");
    SavePlaylistToRegistry(saved);

    EXPECT_EQ(ReadRegDword(keys::kPlayListCount, "ListCount"), 4);
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "1"), "노래 1");
    EXPECT_EQ(ReadRegString(keys::kPlayListTime, "3"), "URL");
    EXPECT_EQ(ReadRegString(keys::kPlayListPath, "0"), "/music/0.mp3");

    PlaylistModel loaded;
    const auto result = LoadPlaylistFromRegistry(loaded, false);
    EXPECT_EQ(result.rowsLoaded, 4);
    EXPECT_EQ(result.playRow, -1);
    ASSERT_EQ(loaded.LastIndex(), 3);
    for (int i = 0; i < 4; ++i)
        for (int column = 1; column <= 3; ++column)
            EXPECT_EQ(loaded.GetEntryField(i, column), saved.GetEntryField(i, column));
    EXPECT_EQ(loaded.CurrentIndex(), -1);
}

TEST(PlaylistRegistry, AShorterSaveLeavesNoRowsOfTheLongerOne) {
    test::TempRegistry registry;
    PlaylistModel five;
    Fill(five, 5);
    SavePlaylistToRegistry(five);
    PlaylistModel three;
    Fill(three, 3);
    SavePlaylistToRegistry(three);

    EXPECT_EQ(ReadRegString(keys::kPlayListPath, "3"), kMissingString);
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "4"), kMissingString);
    // Even a count that claims more rows (a damaged store) finds only three.
    WriteRegDword(keys::kPlayListCount, "ListCount", 5);
    PlaylistModel loaded;
    LoadPlaylistFromRegistry(loaded, false);
    EXPECT_EQ(loaded.RowCount(), 3);
}

// Rows are written in the store's text order of their numbers; around each power of
// ten that order turns, and no row may be left out or written twice there.
TEST(PlaylistRegistry, EveryRowIsStoredOnceUnderItsOwnNumber) {
    test::TempRegistry registry;
    for (const int count : {1, 2, 9, 10, 11, 99, 100, 101, 110, 1000, 1001, 2345}) {
        PlaylistModel saved;
        Fill(saved, count);
        SavePlaylistToRegistry(saved);
        for (const char* key : {keys::kPlayListName, keys::kPlayListTime, keys::kPlayListPath}) {
            const auto values = store::ListValues(store::Hive::LocalMachine, key);
            ASSERT_EQ(values.size(), static_cast<size_t>(count)) << count << " rows, " << key;
        }
        PlaylistModel loaded;
        ASSERT_EQ(LoadPlaylistFromRegistry(loaded, false).rowsLoaded, count);
        for (int i = 0; i < count; ++i)
            for (int column = 1; column <= 3; ++column)
                ASSERT_EQ(loaded.GetEntryField(i, column), saved.GetEntryField(i, column)) << count << " rows, row " << i;
    }
}

TEST(PlaylistRegistry, OversizedOrMissingValuesLoadAsError) {
    test::TempRegistry registry;
    PlaylistModel saved;
    saved.AddEntry("long", "01:00", "/" + std::string(1022, 'a'));  // 1023 bytes: fits with its zero
    saved.AddEntry("longer", "01:00", "/" + std::string(1023, 'b'));  // 1024 bytes: does not
    saved.AddEntry("gap", "02:00", "/c.mp3");
    SavePlaylistToRegistry(saved);
    DeleteRegValue(keys::kPlayListTime, "2");

    PlaylistModel loaded;
    LoadPlaylistFromRegistry(loaded, false);
    ASSERT_EQ(loaded.RowCount(), 3);
    EXPECT_EQ(loaded.GetEntryField(0, kColumnPath).size(), 1023u);
    EXPECT_EQ(loaded.GetEntryField(1, kColumnPath), "ERROR");
    EXPECT_EQ(loaded.GetEntryField(1, kColumnTitle), "longer");
    EXPECT_EQ(loaded.GetEntryField(2, kColumnTime), "ERROR");
}

TEST(PlaylistRegistry, BeginPlayStartsRowZeroOnlyWhenThereIsOne) {
    test::TempRegistry registry;
    PlaylistModel empty;
    SavePlaylistToRegistry(empty);
    PlaylistModel loadedEmpty;
    EXPECT_EQ(LoadPlaylistFromRegistry(loadedEmpty, true).playRow, -1);
    EXPECT_EQ(loadedEmpty.CurrentIndex(), -1);

    PlaylistModel two;
    Fill(two, 2);
    SavePlaylistToRegistry(two);
    PlaylistModel loaded;
    const auto result = LoadPlaylistFromRegistry(loaded, true);
    EXPECT_EQ(result.playRow, 0);
    EXPECT_EQ(loaded.CurrentIndex(), 0);
    EXPECT_EQ(loaded.SelectedIndex(), 0);
}

TEST(PlaylistRegistry, MissingOrNegativeCountLoadsNothing) {
    test::TempRegistry registry;
    PlaylistModel loaded;
    EXPECT_EQ(LoadPlaylistFromRegistry(loaded, false).rowsLoaded, 0);
    WriteRegString(keys::kPlayListPath, "0", "/a.mp3");
    WriteRegDword(keys::kPlayListCount, "ListCount", -3);
    EXPECT_EQ(LoadPlaylistFromRegistry(loaded, false).rowsLoaded, 0);
    EXPECT_EQ(loaded.RowCount(), 0);
}

}  // namespace
}  // namespace tavora
