// Listing and extracting archives into the temporary folder as playlist rows, with the
// real modules: which entries become rows, hostile names, the free-space check, and the
// exit sweep afterwards.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <tuple>

#include "ArchiveLoading.h"
#include "ArchiveTestSupport.h"
#include "PlaylistModel.h"
#include "TempFolderSweep.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::tuple<std::string, std::string, std::string>>;  // title, time, path

const ZipFunctions kZip{OpenZip, GotoFirstFile, GotoNextFile, GetFileInfo, Unzip, CloseZip, UnzipEach};
const RarFunctions kRar{UnRar_list, UnRar_extract, UnRar_extract_each};
const AlzFunctions kAlz{UnAlzOpen,         UnAlzGetFileList,      UnAlzSetCurrentFile, UnAlzExtractCurrentFile,
                        GetszDestFileName, GetszDestPathFileName, UnAlzClose};

// An install folder with its "Temp", a playlist and the archives made for the test.
class ArchiveLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp());
        model_.SetInstallFolder(install());
        target_.model = &model_;
        target_.tempFolder = temp();
        target_.stop = &stop_;
    }
    std::string install() const { return scratch_.Path("install"); }
    std::string temp() const { return install() + "/Temp"; }
    std::string In(const std::string& name) const { return temp() + "/" + name; }

    std::string MakeZip(const std::string& name, const std::string& json) {
        const std::string out = scratch_.Path(name);
        EXPECT_TRUE(RunShell("python3 " + Quote(TestScript("make_zip.py")) + " " + Quote(out) + " " + Quote(json)));
        return out;
    }
    std::string MakeArchive(const std::string& name, const std::string& json) {
        const std::string out = scratch_.Path(name);
        EXPECT_TRUE(RunShell("python3 " + Quote(TestScript("make_archive.py")) + " " + Quote(out) + " " + Quote(json)));
        return out;
    }
    Rows rows() const {
        Rows out;
        for (const auto& e : model_.Entries()) out.emplace_back(e.title, e.time, e.path);
        return out;
    }

    ScratchFolder scratch_;
    PlaylistModel model_;
    std::atomic<bool> stop_{false};
    ArchiveTarget target_;
};

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// How many times `path` is opened while `run` runs (inotify queues the events as the
// opens happen; closes are watched too, as inotify merges an event into an unread
// identical one just before it).
int OpensDuring(const std::string& path, const std::function<void()>& run) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_GE(inotify_add_watch(fd, path.c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
    run();
    int opens = 0;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->mask & IN_OPEN) ++opens;
            p += sizeof(inotify_event) + event->len;
        }
    close(fd);
    return opens;
}

std::string ReadRarLog() {
    std::ifstream in(UnRar_logpath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Songs by the case rule become rows once extracted; every other file is extracted too
// and stays until the exit sweep, which keeps the songs. Deleting a row deletes its
// file, and a subfolder emptied that way stays until the sweep.
TEST_F(ArchiveLoadingTest, ZipSongsBecomeRowsOtherFilesWaitForTheSweep) {
    const std::string zip = MakeZip("songs.zip", R"([
        {"name": "a.mp3", "data": "mp3 bytes"}, {"name": "cover.jpg", "data": "jpeg"},
        {"name": "b.OGG", "data": "ogg bytes"}, {"name": "x.Mp3", "data": "mixed case"},
        {"name": "sub", "folder": true}, {"name": "sub/c.wma", "data": "wma bytes"}])");
    const ArchiveLoadResult result = LoadZipArchive(kZip, zip, target_);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.firstRow, 0);
    EXPECT_EQ(rows(), (Rows{{"a.mp3", "압축", In("a.mp3")}, {"b.OGG", "압축", In("b.OGG")},
                            {"sub/c.wma", "압축", In("sub/c.wma")}}));
    for (const char* name : {"a.mp3", "b.OGG", "sub/c.wma", "cover.jpg", "x.Mp3"}) EXPECT_TRUE(Exists(In(name))) << name;
    EXPECT_EQ(ReadBytes(In("b.OGG")), std::vector<unsigned char>({'o', 'g', 'g', ' ', 'b', 'y', 't', 'e', 's'}));

    model_.DeleteSelectedEntries({2});
    EXPECT_FALSE(Exists(In("sub/c.wma")));
    EXPECT_TRUE(fs::is_directory(In("sub")));

    ASSERT_TRUE(SweepTempFolder(install()));
    EXPECT_EQ(Tree(temp()), (std::map<std::string, uint32_t>{{"a.mp3", Crc32(ReadBytes(In("a.mp3")))},
                                                             {"b.OGG", Crc32(ReadBytes(In("b.OGG")))}}));
}

// Names that leave the folder, links, and a component longer than a file name may be:
// skipped and logged, nothing written outside, the good song still added.
TEST_F(ArchiveLoadingTest, HostileZipEntriesAreSkippedAndNothingLeavesTheTemporaryFolder) {
    const std::string outside = scratch_.Path("outside");
    fs::create_directories(outside);
    // A link already in the temporary folder, pointing out of it.
    fs::create_directory_symlink(outside, In("escape"));
    const std::string absolute = outside + "/abs.mp3";
    const std::string zip = MakeZip("evil.zip", R"([
        {"name": "../x.mp3", "data": "a"}, {"name": "a/../../y.mp3", "data": "b"},
        {"name": ")" + absolute + R"(", "data": "c"}, {"name": "escape/z.mp3", "data": "d"},
        {"name": "link.mp3", "data": ")" + outside + R"(/target.mp3", "link": true},
        {"name": ")" + std::string(300, 'n') + R"(.mp3", "data": "e"},
        {"name": "good.mp3", "data": "fine"}])");
    const ArchiveLoadResult result = LoadZipArchive(kZip, zip, target_);
    EXPECT_EQ(rows(), (Rows{{"good.mp3", "압축", In("good.mp3")}}));
    EXPECT_GE(result.skipped, 4);
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_FALSE(Exists(scratch_.Path("x.mp3")));
    EXPECT_FALSE(Exists(install() + "/y.mp3"));
    EXPECT_FALSE(Exists(In("link.mp3")));
    EXPECT_FALSE(HasLeftovers(temp()));

    // The sweep deletes the link, never what is behind it.
    fs::create_directories(outside + "/deep");
    std::ofstream(outside + "/deep/keep.txt") << "mine";
    ASSERT_TRUE(SweepTempFolder(install()));
    EXPECT_TRUE(Exists(outside + "/deep/keep.txt"));
    EXPECT_FALSE(Exists(In("escape")));
}

// An archive that needs more room than the folder has is not extracted at all; broken,
// truncated and mislabelled archives add nothing and end cleanly.
TEST_F(ArchiveLoadingTest, NoRoomAndBrokenArchivesAddNothing) {
    const std::string zip = MakeZip("big.zip", R"([{"name": "a.mp3", "data": "0123456789", "repeat": 100},
                                                   {"name": "b.txt", "data": "x"}])");
    target_.freeSpace = [](const std::string&) { return uint64_t{1000}; };
    ArchiveLoadResult result = LoadZipArchive(kZip, zip, target_);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(model_.RowCount(), 0);
    EXPECT_TRUE(fs::is_empty(temp()));
    // RAR and ALZ entries are checked one by one: those larger than the room are left out.
    target_.freeSpace = [](const std::string&) { return uint64_t{100}; };
    result = LoadAlzArchive(kAlz, Fixture("alz/normal.alz"), target_);
    EXPECT_EQ(result.rowsAdded, 6);
    EXPECT_EQ(result.skipped, 4);  // binary.bin, hello.txt, large.txt, repeated.txt
    EXPECT_FALSE(Exists(In("large.txt")));
    EXPECT_TRUE(Exists(In("subdir/inner.txt")));
    result = LoadRarArchive(kRar, Fixture("rar/test_read_format_rar5_multiple_files.rar"), target_);
    EXPECT_EQ(result.skipped, 4);
    EXPECT_FALSE(Exists(In("test1.bin")));
    model_.DeleteAllEntries();
    fs::remove_all(temp());
    fs::create_directories(temp());
    target_.freeSpace = {};

    const std::vector<unsigned char> whole = ReadBytes(zip);
    const std::string truncated = scratch_.Path("cut.zip");
    // Cut inside the first entry's data: nothing in it is complete.
    WriteBytes(truncated, std::vector<unsigned char>(whole.begin(), whole.begin() + 40));
    const std::string text = scratch_.Path("not-really.zip");
    WriteBytes(text, {'h', 'e', 'l', 'l', 'o'});
    const std::string rarText = scratch_.Path("not-really.rar");
    WriteBytes(rarText, {'R', 'a', 'r', '!', 0});
    const std::string alzText = scratch_.Path("not-really.alz");
    WriteBytes(alzText, {'A', 'L', 'Z'});
    LoadZipArchive(kZip, truncated, target_);
    EXPECT_FALSE(LoadZipArchive(kZip, text, target_).opened);
    EXPECT_FALSE(LoadZipArchive(kZip, scratch_.Path("absent.zip"), target_).opened);
    EXPECT_FALSE(LoadRarArchive(kRar, rarText, target_).opened);
    EXPECT_FALSE(LoadAlzArchive(kAlz, alzText, target_).opened);
    LoadRarArchive(kRar, Fixture("rar/test_read_format_rar_invalid1.rar"), target_);
    EXPECT_EQ(model_.RowCount(), 0);
    EXPECT_FALSE(HasLeftovers(temp()));

    // Closing the player while an archive is listed: no rows from then on.
    stop_ = true;
    const std::string songs = MakeZip("late.zip", R"([{"name": "late.mp3", "data": "x"}])");
    LoadZipArchive(kZip, songs, target_);
    EXPECT_EQ(model_.RowCount(), 0);
}

// RAR: a folder listed before its file is made first; songs by the case rule get rows,
// other files are extracted for the sweep; an over-long name is skipped.
TEST_F(ArchiveLoadingTest, RarFoldersBeforeFilesSongsByCaseAndLongNames) {
    const std::string rar = MakeArchive("songs.rar", R"([
        {"name": "album", "folder": true}, {"name": "album/a.mp3", "data": "song a"},
        {"name": "x.Mp3", "data": "mixed"}, {"name": "B.WAV", "data": "song b"},
        {"name": "notes.txt", "data": "text"}, {"name": ")" + std::string(250, 'l') + R"(/long.mp3", "data": "z"}])");
    const ArchiveLoadResult result = LoadRarArchive(kRar, rar, target_);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(rows(), (Rows{{"album/a.mp3", "압축", In("album/a.mp3")}, {"B.WAV", "압축", In("B.WAV")}}));
    EXPECT_EQ(ReadBytes(In("album/a.mp3")), std::vector<unsigned char>({'s', 'o', 'n', 'g', ' ', 'a'}));
    EXPECT_TRUE(Exists(In("notes.txt")));
    EXPECT_TRUE(Exists(In("x.Mp3")));
    EXPECT_EQ(result.skipped, 1);

    // A solid archive of the older format extracts byte-exact (no songs: no rows).
    LoadRarArchive(kRar, Fixture("rar/rar3-solid.rar"), target_);
    EXPECT_EQ(Crc32(ReadBytes(In("stest2.txt"))), 0xc5b7e6a2u);
    EXPECT_EQ(model_.RowCount(), 2);
}

// A RAR archive is read in one pass however many entries it has (a solid one is not
// decoded again from its start for each entry), in both formats.
TEST_F(ArchiveLoadingTest, RarArchivesAreReadInOnePass) {
    for (const char* format : {"", " --rar5"}) {
        SCOPED_TRACE(*format ? "RAR5" : "RAR 2.9");
        std::map<int, int> opens;
        for (int songs : {5, 40}) {
            std::string json = R"([{"name": "album", "folder": true})";
            for (int i = 0; i < songs; ++i)
                json += R"(, {"name": "album/)" + std::to_string(100 + i) + R"(.mp3", "data": "song )" +
                        std::to_string(i) + R"(", "repeat": 200})";
            json += "]";
            const std::string rar = scratch_.Path(std::to_string(songs) + (*format ? "-5" : "-4") + ".rar");
            ASSERT_TRUE(RunShell("python3 " + Quote(TestScript("make_archive.py")) + " " + Quote(rar) + " " +
                                 Quote(json) + " --solid" + format));
            model_.DeleteAllEntries();
            opens[songs] = OpensDuring(rar, [&] { EXPECT_EQ(LoadRarArchive(kRar, rar, target_).rowsAdded, songs); });
            EXPECT_EQ(model_.RowCount(), songs);
            EXPECT_EQ(ReadBytes(In("album/" + std::to_string(100 + songs - 1) + ".mp3")).size(),
                      (5 + std::to_string(songs - 1).size()) * 200);
        }
        EXPECT_EQ(opens[40], opens[5]) << "the archive was opened again for its entries";
    }
}

// Encrypted RAR entries cannot be decoded (RAR decryption is not available, so the
// program's own password does not help either): the debug log and stderr say that this
// is why they were skipped. "Protected headers not supported!" is kept for archives
// whose headers are encrypted.
TEST_F(ArchiveLoadingTest, EncryptedRarEntriesSayWhyTheyWereSkipped) {
    setenv("XDG_CACHE_HOME", scratch_.Path("cache").c_str(), 1);  // a debug log of this test's own
    const std::string rar4 = MakeArchive("locked.rar", R"([{"name": "locked.mp3", "data": "x", "encrypted": true},
                                                           {"name": "open.mp3", "data": "y"}])");
    struct Case {
        std::string archive;
        std::vector<std::string> encrypted;
    };
    for (const Case& c : {Case{rar4, {"locked.mp3"}}, Case{Fixture("rar/rar5-psw.rar"), {"stest1.txt", "stest2.txt"}}}) {
        SCOPED_TRACE(c.archive);
        testing::internal::CaptureStderr();
        const ArchiveLoadResult result = LoadRarArchive(kRar, c.archive, target_);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result.skipped, static_cast<int>(c.encrypted.size()));
        const std::string log = ReadRarLog();
        for (const std::string& name : c.encrypted) {
            EXPECT_NE(err.find("not extracted, encrypted (RAR decryption is not available, not even with the program's "
                               "password): " + name),
                      std::string::npos)
                << err;
            EXPECT_NE(log.find("- Encrypted file >" + name + "< not extracted: encrypted RAR entries cannot be decoded"),
                      std::string::npos)
                << log;
            EXPECT_FALSE(Exists(In(name)));
        }
        EXPECT_EQ(log.find("Protected headers not supported!"), std::string::npos) << log;
    }
    EXPECT_EQ(rows(), (Rows{{"open.mp3", "압축", In("open.mp3")}}));

    // Headers encrypted (the main header's flag 0x80): nothing can be listed.
    std::vector<unsigned char> bytes = ReadBytes(rar4);
    bytes[10] |= 0x80;
    const std::string hidden = scratch_.Path("hidden.rar");
    WriteBytes(hidden, bytes);
    EXPECT_FALSE(LoadRarArchive(kRar, hidden, target_).opened);
    EXPECT_NE(ReadRarLog().find("- Protected headers not supported!\n"), std::string::npos);
}

// ALZ: every file entry gets a row, text files too, titled with the file's own name;
// folders are made but get none. Encrypted entries (no password given) get no row.
TEST_F(ArchiveLoadingTest, AlzEveryFileGetsARowAndEncryptedOnesFailCleanly) {
    const ArchiveLoadResult result = LoadAlzArchive(kAlz, Fixture("alz/normal.alz"), target_);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.rowsAdded, 10);
    const Rows got = rows();
    EXPECT_NE(std::find(got.begin(), got.end(), std::make_tuple("한글파일.txt", "압축", In("한글파일.txt"))), got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), std::make_tuple("deep.txt", "압축", In("subdir/nested/deep.txt"))),
              got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), std::make_tuple("empty.txt", "압축", In("empty.txt"))), got.end());
    EXPECT_EQ(Crc32(ReadBytes(In("large.txt"))), 0xfe5598ecu);

    model_.DeleteAllEntries();
    fs::remove_all(temp());
    fs::create_directories(temp());
    LoadAlzArchive(kAlz, Fixture("alz/zip20.alz"), target_);
    EXPECT_EQ(rows(), (Rows{{"empty.txt", "압축", In("empty.txt")}}));
    EXPECT_FALSE(HasLeftovers(temp()));

    model_.DeleteAllEntries();
    LoadAlzArchive(kAlz, Fixture("alz/deflate.alz"), target_);
    EXPECT_EQ(model_.RowCount(), 6);  // three folders, six files
    EXPECT_TRUE(fs::is_directory(In("빈폴더")));
}

}  // namespace
}  // namespace tavora::test
