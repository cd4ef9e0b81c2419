// UnZip.so: listing and extraction of archives made by the usual tools and by hand,
// legacy Korean names, and archives that try to write outside the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ArchiveTestSupport.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;

std::string MakeZip(const ScratchFolder& scratch, const std::string& name, const std::string& json) {
    const std::string out = scratch.Path(name);
    const std::string script = std::string(std::getenv("TAVORA_SOURCE_DIR")) + "/tests/archive/make_zip.py";
    EXPECT_TRUE(RunShell("python3 " + Quote(script) + " " + Quote(out) + " " + Quote(json)));
    return out;
}

std::vector<ListedEntry> ListZip(const std::string& path) {
    std::vector<ListedEntry> out;
    TavoraZip* zip = OpenZip(path.c_str(), "/nonexistent");
    if (!zip) return out;
    for (int more = GotoFirstFile(zip); more; more = GotoNextFile(zip)) {
        TavoraArchiveEntry info{};
        EXPECT_TRUE(GetFileInfo(zip, &info));
        CollectEntry(&out, &info);
    }
    CloseZip(zip);
    return out;
}

int UnzipInto(const std::string& path, const std::string& dest) {
    TavoraZip* zip = OpenZip(path.c_str(), dest.c_str());
    if (!zip) return -2;
    const int n = Unzip(zip);
    CloseZip(zip);
    return n;
}

std::vector<std::string> Names(const std::vector<ListedEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.name);
    return out;
}

TEST(ZipModule, ListsLegacyAndUtf8NamesAndExtractsThemAtThoseNames) {
    ScratchFolder scratch;
    // "노래.mp3" in CP949 without the UTF-8 flag, "가요/b.OGG" with it, a folder, a picture.
    const std::string zip = MakeZip(scratch, "songs.zip", R"([
        {"name": "a.mp3", "data": "first song", "repeat": 100},
        {"name": "x", "hex": "b3ebb7a12e6d7033", "data": "legacy name"},
        {"name": "가요/b.OGG", "data": "utf-8 name"},
        {"name": "빈폴더", "folder": true},
        {"name": "cover.jpg", "data": "picture"}])");
    const auto listed = ListZip(zip);
    EXPECT_EQ(Names(listed), (std::vector<std::string>{"a.mp3", "노래.mp3", "가요/b.OGG", "빈폴더/", "cover.jpg"}));
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[0].size, 1000u);
    EXPECT_TRUE(listed[3].isFolder);
    for (const auto& e : listed) EXPECT_TRUE(e.isSafe) << e.name;

    const std::string dest = scratch.Path("Temp");
    EXPECT_EQ(UnzipInto(zip, dest), 4);
    std::string first;
    for (int i = 0; i < 100; ++i) first += "first song";
    const auto tree = Tree(dest);
    EXPECT_EQ(tree, (std::map<std::string, uint32_t>{
                        {"a.mp3", Crc32({first.begin(), first.end()})},
                        {"노래.mp3", Crc32({'l', 'e', 'g', 'a', 'c', 'y', ' ', 'n', 'a', 'm', 'e'})},
                        {"가요/", 0},
                        {"가요/b.OGG", Crc32({'u', 't', 'f', '-', '8', ' ', 'n', 'a', 'm', 'e'})},
                        {"빈폴더/", 0},
                        {"cover.jpg", Crc32({'p', 'i', 'c', 't', 'u', 'r', 'e'})}}));
}

TEST(ZipModule, ArchivesOfZip7zAndBsdtarExtractTheSameTree) {
    ScratchFolder scratch;
    const std::string src = scratch.Path("src");
    fs::create_directories(src + "/앨범/CD1");
    WriteBytes(src + "/앨범/CD1/01 트랙.mp3", std::vector<unsigned char>(70000, 'm'));
    WriteBytes(src + "/앨범/notes.txt", {'h', 'i'});
    WriteBytes(src + "/top.ogg", std::vector<unsigned char>(12345, 7));
    const auto expected = Tree(src);
    const std::string in = "cd " + Quote(src) + " && ";
    ASSERT_TRUE(RunShell(in + "zip -qr ../infozip.zip ."));
    ASSERT_TRUE(RunShell(in + "7z a -tzip -bd ../p7zip.zip . > /dev/null"));
    ASSERT_TRUE(RunShell(in + "bsdtar --format zip -cf ../bsdtar.zip *"));
    for (const char* name : {"infozip.zip", "p7zip.zip", "bsdtar.zip"}) {
        const std::string dest = scratch.Path(std::string("out-") + name);
        EXPECT_GE(UnzipInto(scratch.Path(name), dest), 3) << name;
        EXPECT_EQ(Tree(dest), expected) << name;
    }
}

TEST(ZipModule, HostileNamesAndLinksNeverWriteOutsideTheFolder) {
    ScratchFolder scratch;
    const std::string outside = scratch.Path("outside");
    fs::create_directories(outside);
    const std::string absolute = outside + "/absolute.mp3";
    const std::string longName(300, 'n');
    const std::string zip = MakeZip(scratch, "evil.zip", R"([
        {"name": "../up.mp3", "data": "x"},
        {"name": ")" + absolute + R"(", "data": "x"},
        {"name": "a/../../../up2.mp3", "data": "x"},
        {"name": "link", "link": true, "data": ")" + outside + R"("},
        {"name": "planted/x.mp3", "data": "through a planted link"},
        {"name": ")" + longName + R"(.mp3", "data": "x"},
        {"name": "ok.mp3", "data": "fine"}])");
    const std::string dest = scratch.Path("dest");
    fs::create_directories(dest);
    // A link already in the folder (left by anything) must not be followed either, as a
    // folder on the way or in the place of the file itself.
    ASSERT_EQ(symlink(outside.c_str(), (dest + "/planted").c_str()), 0);
    WriteBytes(outside + "/keep.txt", {'k'});
    ASSERT_EQ(symlink((outside + "/keep.txt").c_str(), (dest + "/ok.mp3").c_str()), 0);

    const auto listed = ListZip(zip);
    ASSERT_EQ(listed.size(), 7u);
    for (size_t i : {0, 1, 2, 3, 5}) EXPECT_FALSE(listed[i].isSafe) << listed[i].name;
    EXPECT_TRUE(listed[3].isLink);
    EXPECT_TRUE(listed[6].isSafe);

    EXPECT_EQ(UnzipInto(zip, dest), 1);
    EXPECT_EQ(Tree(scratch.Path()), (std::map<std::string, uint32_t>{{"dest/", 0},
                                                                    {"dest/ok.mp3", Crc32({'f', 'i', 'n', 'e'})},
                                                                    {"dest/planted@", 0},
                                                                    {"evil.zip", Crc32(ReadBytes(zip))},
                                                                    {"outside/", 0},
                                                                    {"outside/keep.txt", Crc32({'k'})}}));
}

TEST(ZipModule, OutputIsBoundedByTheDeclaredSize) {
    ScratchFolder scratch;
    // 100,000 bytes that claim to be 1,000: stopped, and nothing is left under its name.
    const std::string zip = MakeZip(scratch, "bomb.zip", R"([
        {"name": "bomb.mp3", "data": "0", "repeat": 100000, "declare": 1000},
        {"name": "after.mp3", "data": "still extracted"}])");
    const std::string dest = scratch.Path("dest");
    EXPECT_EQ(UnzipInto(zip, dest), 1);
    EXPECT_FALSE(fs::exists(dest + "/bomb.mp3"));
    EXPECT_TRUE(fs::exists(dest + "/after.mp3"));
    EXPECT_FALSE(HasLeftovers(dest));
}

TEST(ZipModule, DamagedEncryptedAndForeignFilesFailCleanly) {
    ScratchFolder scratch;
    const std::string good = MakeZip(scratch, "good.zip", R"([{"name": "song.mp3", "data": "abcdefgh", "repeat": 5000}])");
    auto bytes = ReadBytes(good);

    // A flipped byte inside the compressed data: the CRC check refuses the file.
    auto flipped = bytes;
    flipped[60] ^= 0x55;
    WriteBytes(scratch.Path("flipped.zip"), flipped);
    // Cut in the middle: no central directory any more.
    WriteBytes(scratch.Path("cut.zip"), std::vector<unsigned char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    WriteBytes(scratch.Path("garbage.zip"), std::vector<unsigned char>(5000, 0x42));
    WriteBytes(scratch.Path("empty.zip"), {});
    // Encrypted with a password the program does not have.
    WriteBytes(scratch.Path("plain.mp3"), std::vector<unsigned char>(3000, 'p'));
    ASSERT_TRUE(RunShell("cd " + Quote(scratch.Path()) + " && 7z a -tzip -psecret -bd locked.zip plain.mp3 > /dev/null"));

    for (const char* name : {"flipped.zip", "cut.zip", "garbage.zip", "empty.zip", "locked.zip", "missing.zip"}) {
        const std::string dest = scratch.Path(std::string("out-") + name);
        EXPECT_LE(UnzipInto(scratch.Path(name), dest), 0) << name;
        EXPECT_FALSE(fs::exists(dest + "/song.mp3")) << name;
        EXPECT_FALSE(fs::exists(dest + "/plain.mp3")) << name;
        EXPECT_FALSE(HasLeftovers(scratch.Path())) << name;
    }
    EXPECT_EQ(OpenZip(scratch.Path("garbage.zip").c_str(), "x"), nullptr);
    EXPECT_EQ(OpenZip(scratch.Path("missing.zip").c_str(), "x"), nullptr);
    // The listing of the encrypted archive says so.
    const auto locked = ListZip(scratch.Path("locked.zip"));
    ASSERT_EQ(locked.size(), 1u);
    EXPECT_TRUE(locked[0].isEncrypted);
}

TEST(ZipModule, AZipNamedRarIsNotTakenForRarAndARarNamedZipNotForZip) {
    ScratchFolder scratch;
    const std::string zip = MakeZip(scratch, "songs.rar", R"([{"name": "a.mp3", "data": "x"}])");
    std::vector<ListedEntry> listed;
    EXPECT_EQ(UnRar_list(zip.c_str(), CollectEntry, &listed), -1);
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(UnRar_extract("a.mp3", zip.c_str(), "abcdefgh", scratch.Path("dest").c_str()), 0);
    EXPECT_FALSE(fs::exists(scratch.Path("dest/a.mp3")));
    fs::copy_file(Fixture("rar/rar3-solid.rar"), scratch.Path("solid.zip"));
    EXPECT_EQ(OpenZip(scratch.Path("solid.zip").c_str(), scratch.Path("dest").c_str()), nullptr);
}

}  // namespace
}  // namespace tavora::test
