// The exit sweep of the temporary folder: what stays, what goes, and that it never
// reaches outside the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "ArchiveSongNames.h"
#include "ArchiveTestSupport.h"
#include "TempFolderSweep.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

TEST(ArchiveSongNamesTest, ExtensionsCountInAllLowerOrAllUpperCaseOnly) {
    for (const char* song : {"a.mp3", "a.MP3", "dir.x/b.ogg", "c.WAV", "d.wma", "e.ASF", "f.mp1", "g.MP2", "h.cda"})
        EXPECT_TRUE(IsArchiveSongName(song)) << song;
    for (const char* other : {"x.Mp3", "y.oGG", "cover.jpg", "mp3", "a.mp3/readme", "v.wmv", "a.mp3.txt"})
        EXPECT_FALSE(IsArchiveSongName(other)) << other;
    // The sweep keeps video (wmv) but not CD track files.
    EXPECT_TRUE(IsKeptBySweep("v.WMV"));
    EXPECT_TRUE(IsKeptBySweep("s.mp2"));
    EXPECT_FALSE(IsKeptBySweep("t.cda"));
    EXPECT_FALSE(IsKeptBySweep("x.Mp3"));
}

TEST(TempFolderSweepTest, KeepsSongsDeletesTheRestAndEmptyFolders) {
    ScratchFolder scratch;
    const std::string temp = scratch.Path("Temp");
    for (const char* name : {"a.mp3", "B.OGG", "v.wmv", "x.Mp3", "cover.jpg", "t.cda", ".tavora-part-123",
                             "album/c.wav", "album/notes.txt", "empty/deeper/gone.txt", ".hidden/kept.txt"})
        Touch(temp + "/" + name);
    fs::create_directories(temp + "/bare");
    ASSERT_TRUE(SweepTempFolder(scratch.Path()));
    EXPECT_EQ(Tree(temp), (std::map<std::string, uint32_t>{{".hidden/", 0},
                                                           {".hidden/kept.txt", Crc32({'x'})},
                                                           {"B.OGG", Crc32({'x'})},
                                                           {"a.mp3", Crc32({'x'})},
                                                           {"album/", 0},
                                                           {"album/c.wav", Crc32({'x'})},
                                                           {"v.wmv", Crc32({'x'})}}));

    // Nothing but non-songs: the temporary folder itself goes.
    fs::remove_all(temp);
    Touch(temp + "/sub/cover.jpg");
    ASSERT_TRUE(SweepTempFolder(scratch.Path()));
    EXPECT_FALSE(Exists(temp));
}

// Links are never followed: a link to a folder or file outside is removed (or kept, by
// its own name) as a link, and a temporary folder that is itself a link is left alone.
// Without an install folder nothing at all is swept.
TEST(TempFolderSweepTest, NeverLeavesTheFolderAndNeedsAnInstallFolder) {
    ScratchFolder scratch;
    const std::string outside = scratch.Path("outside");
    Touch(outside + "/precious.txt");
    Touch(outside + "/song.mp3");
    const std::string install = scratch.Path("install");
    const std::string temp = install + "/Temp";
    fs::create_directories(temp);
    fs::create_directory_symlink(outside, temp + "/folder-link");
    fs::create_symlink(outside + "/precious.txt", temp + "/file-link.txt");
    fs::create_symlink(outside + "/precious.txt", temp + "/named-like-a.mp3");
    ASSERT_TRUE(SweepTempFolder(install));
    EXPECT_TRUE(Exists(outside + "/precious.txt"));
    EXPECT_TRUE(Exists(outside + "/song.mp3"));
    EXPECT_FALSE(Exists(temp + "/folder-link"));
    EXPECT_FALSE(Exists(temp + "/file-link.txt"));
    EXPECT_TRUE(fs::is_symlink(temp + "/named-like-a.mp3"));

    fs::remove_all(temp);
    fs::create_directory_symlink(outside, temp);
    EXPECT_FALSE(SweepTempFolder(install));
    EXPECT_TRUE(Exists(outside + "/precious.txt"));

    // An unknown (empty) or relative install folder: the sweep does not run (a relative
    // "Temp" would be the working folder's).
    fs::remove(temp);
    Touch(temp + "/cover.jpg");
    EXPECT_FALSE(SweepTempFolder(""));
    const fs::path before = fs::current_path();
    fs::current_path(install);
    EXPECT_FALSE(SweepTempFolder("."));
    fs::current_path(before);
    EXPECT_TRUE(Exists(temp + "/cover.jpg"));
}

}  // namespace
}  // namespace tavora::test
