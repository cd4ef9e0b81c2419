#include <string>
#include <vector>

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

// The names of a key's values, as the store lists them.
std::vector<std::string> ValueNames(const char* key) {
    std::vector<std::string> names;
    for (const auto& v : store::ListValues(store::Hive::LocalMachine, key)) names.push_back(v.name);
    return names;
}

void ExpectSameRows(const PlaylistModel& loaded, const PlaylistModel& saved) {
    ASSERT_EQ(loaded.RowCount(), saved.RowCount());
    for (int i = 0; i < saved.RowCount(); ++i)
        for (int column = 1; column <= 3; ++column)
            ASSERT_EQ(loaded.GetEntryField(i, column), saved.GetEntryField(i, column)) << "row " << i;
}

// A save over an earlier list keeps the rows that did not change where they are; it
// must still leave exactly the new list: changed rows replaced, a row stored as a
// number turned back into text, and rows beyond the end, stray values and keys below
// the columns removed.
TEST(PlaylistRegistry, ASaveOverAnotherListLeavesExactlyTheNewOne) {
    test::TempRegistry registry;
    PlaylistModel first;
    Fill(first, 6);
    SavePlaylistToRegistry(first);
    WriteRegString(keys::kPlayListName, "abc", "stray");
    WriteRegString(keys::kPlayListName, "03", "leading zero");
    WriteRegDword(keys::kPlayListPath, "1", 7);
    WriteRegString(std::string(keys::kPlayListTime) + "\\Below", "0", "nested");

    PlaylistModel second;
    Fill(second, 4);
    ASSERT_TRUE(second.UpdateTitle(2, "/music/2.mp3", "바뀐 제목"));
    SavePlaylistToRegistry(second);

    const std::vector<std::string> rows = {"0", "1", "2", "3"};
    for (const char* key : {keys::kPlayListName, keys::kPlayListTime, keys::kPlayListPath})
        EXPECT_EQ(ValueNames(key), rows) << key;
    EXPECT_TRUE(store::ListSubkeys(store::Hive::LocalMachine, keys::kPlayListTime).empty());
    EXPECT_EQ(ReadRegString(keys::kPlayListPath, "1"), "/music/1.mp3");
    PlaylistModel loaded;
    LoadPlaylistFromRegistry(loaded, false);
    ExpectSameRows(loaded, second);
}

// A long list with Korean text and empty fields, saved over itself with a few rows
// changed, then replaced by a list whose rows all differ: each time it comes back
// exactly as saved.
TEST(PlaylistRegistry, AHundredThousandRowsComeBackExactly) {
    test::TempRegistry registry;
    const auto make = [](const std::string& tag) {
        std::vector<NewEntry> rows;
        for (int i = 0; i < 100000; ++i)
            rows.push_back({i % 7 == 0 ? "" : "노래 " + tag + std::to_string(i), i % 5 == 0 ? "" : "03:2" + std::to_string(i % 10),
                            "/home/사용자/음악/" + tag + std::to_string(i / 100) + "/" + std::to_string(i) + ".mp3"});
        return rows;
    };
    std::vector<NewEntry> rows = make("가");
    PlaylistModel first;
    first.AddEntries(rows);
    SavePlaylistToRegistry(first);
    rows[0].title = "처음";
    rows[54321].path = "/바뀐/곳.mp3";
    rows[99999].time = "";
    PlaylistModel saved;
    saved.AddEntries(rows);
    SavePlaylistToRegistry(saved);
    PlaylistModel loaded;
    ASSERT_EQ(LoadPlaylistFromRegistry(loaded, false).rowsLoaded, 100000);
    ExpectSameRows(loaded, saved);

    PlaylistModel other;
    other.AddEntries(make("나"));
    SavePlaylistToRegistry(other);
    PlaylistModel reloaded;
    ASSERT_EQ(LoadPlaylistFromRegistry(reloaded, false).rowsLoaded, 100000);
    ExpectSameRows(reloaded, other);
}

}  // namespace
}  // namespace tavora
