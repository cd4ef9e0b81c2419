#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FolderScan.h"
#include "PlaylistAdding.h"
#include "PlaylistModel.h"
#include "PlaylistTestSupport.h"

namespace tavora {
namespace {
namespace fs = std::filesystem;

using test::TempFolder;
using test::Titles;

TEST(FolderScan, FolderSongsComeBeforeSubfolderSongsAndCaseMatters) {
    TempFolder tree;
    // Created in an order unlike the name order.
    for (const char* f : {"sub/e.ogg", "d.mp2", "c.Mp3", "b.MP3", "a.mp3", "sub/deeper/g.wav", "sub2/f.WMA",
                          ".hidden/h.mp3", "notes.txt", "x.cda", "pack.ZIP", "pack2.Zip"})
        tree.Write(f);
    PlaylistModel model;
    model.AddEntry("earlier", "", "/earlier.mp3");
    std::vector<std::string> archives;
    const FolderScanResult result =
        ScanFolder(model, tree.path().string(), [&](const std::string& path) { archives.push_back(path); });
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"earlier", "a.mp3", "b.MP3", "e.ogg", "f.WMA", "g.wav"}));
    EXPECT_EQ(model.GetEntryField(1, kColumnPath), (tree.path() / "a.mp3").string());
    EXPECT_EQ(model.GetEntryField(1, kColumnTime), "");
    EXPECT_EQ(result.firstRow, 1);
    EXPECT_EQ(result.rowsAdded, 5);
    EXPECT_EQ(archives, std::vector<std::string>{(tree.path() / "pack.ZIP").string()});
    EXPECT_EQ(model.LastIndex(), 5);
}

TEST(FolderScan, LinksBackUpTheTreeAreScannedOnce) {
    TempFolder tree;
    tree.Write("a/song.mp3");
    fs::create_directory_symlink(tree.path(), tree.path() / "a" / "loop");
    PlaylistModel model;
    const auto ignore = [](const std::string&) {};
    ScanFolder(model, tree.path().string(), ignore);
    EXPECT_EQ(ScanFolder(model, (tree.path() / "missing").string(), ignore).rowsAdded, 0);
    EXPECT_EQ(Titles(model), std::vector<std::string>{"song.mp3"});
}

}  // namespace
}  // namespace tavora

namespace tavora {
namespace {

TEST(AddingSongs, QuickAddUsesTheFileNameAndHandsOverArchives) {
    PlaylistModel model;
    std::vector<std::string> archives;
    auto archive = [&](const std::string& p) { archives.push_back(p); };
    EXPECT_EQ(AddFileQuick(model, "/m/노래.mp3", archive), 0);
    EXPECT_EQ(AddFileQuick(model, "/m/pack.rar", archive), -1);
    EXPECT_EQ(AddFileQuick(model, "/m/pack.Rar", archive), 1);  // mixed case is no archive
    EXPECT_EQ(model.GetEntryField(0, kColumnTitle), "노래.mp3");
    EXPECT_EQ(model.GetEntryField(0, kColumnTime), "");
    EXPECT_EQ(archives, std::vector<std::string>{"/m/pack.rar"});
}

TEST(AddingSongs, TypedAddressesAndTheirTitles) {
    EXPECT_EQ(CompleteTypedAddress("radio.example/live"), "http://radio.example/live");
    EXPECT_EQ(CompleteTypedAddress("MMS://h/live"), "MMS://h/live");
    EXPECT_EQ(CompleteTypedAddress("hTTp://h/"), "http://hTTp://h/");
    EXPECT_EQ(AddressTitle("http://h/dir/song.mp3"), "song.mp3");
}

}  // namespace
}  // namespace tavora
