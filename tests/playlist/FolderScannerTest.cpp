#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FolderScanner.h"
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
    FolderScanResult result;
    {
        FolderScanner scanner(model);
        scanner.Scan(tree.path().string(), [&](const FolderScanResult& r) { result = r; },
                     [&](const std::string& path) { archives.push_back(path); });
        scanner.WaitIdle();
    }
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
    FolderScanner scanner(model);
    scanner.Scan(tree.path().string());
    scanner.Scan((tree.path() / "missing").string());
    scanner.WaitIdle();
    EXPECT_EQ(Titles(model), std::vector<std::string>{"song.mp3"});
}

TEST(FolderScan, RequestsRunOneAfterAnother) {
    TempFolder one, two;
    one.Write("1.mp3");
    one.Write("s/2.mp3");
    two.Write("3.mp3");
    PlaylistModel model;
    std::mutex lock;
    std::vector<int> firstRows;
    FolderScanner scanner(model);
    for (const TempFolder* t : {&one, &two})
        scanner.Scan(t->str(), [&](const FolderScanResult& r) {
            std::lock_guard g(lock);
            firstRows.push_back(r.firstRow);
        });
    scanner.WaitIdle();
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"1.mp3", "2.mp3", "3.mp3"}));
    EXPECT_EQ(firstRows, (std::vector<int>{0, 2}));
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

TEST(AddingSongs, TypedAddressesAndPlsAddresses) {
    EXPECT_EQ(CompleteTypedAddress("radio.example/live"), "http://radio.example/live");
    EXPECT_EQ(CompleteTypedAddress("MMS://h/live"), "MMS://h/live");
    EXPECT_EQ(CompleteTypedAddress("hTTp://h/"), "http://hTTp://h/");
    EXPECT_TRUE(IsPlsAddress("http://h/list.pls"));
    EXPECT_FALSE(IsPlsAddress("http://h/list.PLS.mp3"));
    EXPECT_EQ(AddressTitle("http://h/dir/song.mp3"), "song.mp3");
}

}  // namespace
}  // namespace tavora
