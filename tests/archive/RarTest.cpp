// UnRar.so: every RAR fixture listed and extracted byte-exact (solid RAR4 through
// libunarr, RAR5 and volume sets through libarchive), the memory decoder, refusals with
// their debug-log messages, and names that try to leave the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ArchiveTestSupport.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "abcdefgh";

std::vector<ListedEntry> ListRar(const std::string& path) {
    std::vector<ListedEntry> out;
    EXPECT_GE(UnRar_list(path.c_str(), CollectEntry, &out), 0) << path;
    return out;
}

// Extracts every entry the way the program does, one UnRar_extract per listed entry.
std::map<std::string, uint32_t> ExtractAll(const std::string& archive, const std::string& dest) {
    for (const auto& e : ListRar(archive)) UnRar_extract(e.name.c_str(), archive.c_str(), kPassword, dest.c_str());
    return Tree(dest);
}

// Under ctest every test runs in a process of its own: a log of its own keeps
// parallel runs from truncating each other's (the path is fixed at the first message).
void PrivateLog(const ScratchFolder& scratch) { setenv("XDG_CACHE_HOME", scratch.Path().c_str(), 1); }

std::string ReadLog() {
    std::ifstream in(UnRar_logpath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(RarModule, SolidRar4ExtractsByteExact) {
    ScratchFolder scratch;
    const auto listed = ListRar(Fixture("rar/rar3-solid.rar"));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].name, "stest2.txt");
    EXPECT_EQ(listed[1].size, 2048u);
    EXPECT_EQ(ExtractAll(Fixture("rar/rar3-solid.rar"), scratch.Path("out")),
              (std::map<std::string, uint32_t>{{"stest1.txt", 0xc5b7e6a2}, {"stest2.txt", 0xc5b7e6a2}}));
}

// A whole archive extracted in one pass gives the files that extracting it entry by
// entry gives, in every format: solid and not, RAR 2.9 and RAR5, a volume set.
TEST(RarModule, OnePassExtractionGivesTheSameFiles) {
    for (const char* name : {"rar/rar3-solid.rar", "rar/rar3-subdirs.rar", "rar/test_read_format_rar_compress_normal.rar",
                             "rar/test_read_format_rar5_multiple_files.rar",
                             "rar/test_read_format_rar5_multiple_files_solid.rar",
                             "rar/test_rar_multivolume_single_file.part1.rar"}) {
        SCOPED_TRACE(name);
        ScratchFolder scratch;
        fs::create_directories(scratch.Path("each"));
        fs::create_directories(scratch.Path("single"));
        const std::string archive = Fixture(name);
        std::vector<std::string> failed;
        const auto done = [](void* context, const TavoraArchiveEntry* e, const char* failure) {
            if (failure) static_cast<std::vector<std::string>*>(context)->push_back(e->name);
            return 1;
        };
        EXPECT_EQ(UnRar_extract_each(archive.c_str(), kPassword, scratch.Path("each").c_str(), nullptr, done, &failed),
                  static_cast<int>(ListRar(archive).size()));
        const std::map<std::string, uint32_t> each = Tree(scratch.Path("each"));
        EXPECT_FALSE(each.empty());
        EXPECT_EQ(each, ExtractAll(archive, scratch.Path("single")));
        // Only the link of compress_normal is refused.
        EXPECT_EQ(failed, std::string(name).find("compress_normal") != std::string::npos
                              ? std::vector<std::string>{"testlink"}
                              : std::vector<std::string>{});
    }
}

TEST(RarModule, Rar5PlainAndSolidExtractByteExact) {
    const std::map<std::string, uint32_t> expected{
        {"test1.bin", 0x7e13b2c6}, {"test2.bin", 0xf166afcb}, {"test3.bin", 0x9fb123d9}, {"test4.bin", 0x10c43ed4}};
    for (const char* name : {"rar/test_read_format_rar5_multiple_files.rar", "rar/test_read_format_rar5_multiple_files_solid.rar"}) {
        ScratchFolder scratch;
        EXPECT_EQ(ListRar(Fixture(name)).size(), 4u) << name;
        EXPECT_EQ(ExtractAll(Fixture(name), scratch.Path("out")), expected) << name;
    }
}

TEST(RarModule, FoldersAndNonAsciiNamesOfRar4) {
    ScratchFolder scratch;
    const auto listed = ListRar(Fixture("rar/rar3-subdirs.rar"));
    ASSERT_EQ(listed.size(), 10u);
    EXPECT_EQ(listed[2].name, "sub/üȵĩöḋè/file.txt");
    EXPECT_TRUE(listed[9].isFolder);
    const auto tree = ExtractAll(Fixture("rar/rar3-subdirs.rar"), scratch.Path("out"));
    EXPECT_EQ(tree.count("sub/empty/"), 1u);
    EXPECT_EQ(tree.at("sub/with space/long fn.txt"), 0x71b7247du);
    EXPECT_EQ(tree.at("sub/üȵĩöḋè/file.txt"), 0x2fec89c1u);
}

TEST(RarModule, LinksAreListedButNeverExtracted) {
    ScratchFolder scratch;
    const auto listed = ListRar(Fixture("rar/test_read_format_rar_compress_normal.rar"));
    ASSERT_EQ(listed.size(), 6u);
    EXPECT_EQ(listed[1].name, "testlink");
    EXPECT_TRUE(listed[1].isLink);
    EXPECT_FALSE(listed[1].isSafe);
    EXPECT_EQ(ExtractAll(Fixture("rar/test_read_format_rar_compress_normal.rar"), scratch.Path("out")),
              (std::map<std::string, uint32_t>{{"LibarchiveAddingTest.html", 0x5e05a663},
                                               {"testdir/", 0},
                                               {"testdir/LibarchiveAddingTest.html", 0x5e05a663},
                                               {"testdir/test.txt", 0xbec8a242},
                                               {"testemptydir/", 0}}));
}

TEST(RarModule, AVolumeSetIsReadFromAnyOfItsParts) {
    for (const char* part : {"part1", "part2", "part3"}) {
        ScratchFolder scratch;
        const std::string path = Fixture(std::string("rar/test_rar_multivolume_single_file.") + part + ".rar");
        const auto listed = ListRar(path);
        ASSERT_EQ(listed.size(), 1u) << part;
        EXPECT_EQ(listed[0].size, 20111u);
        EXPECT_EQ(ExtractAll(path, scratch.Path("out")),
                  (std::map<std::string, uint32_t>{{"LibarchiveAddingTest.html", 0x5e05a663}}))
            << part;
    }
}

TEST(RarModule, MissingVolumeFailsCleanly) {
    ScratchFolder scratch;
    for (const char* part : {"part1", "part2"})
        fs::copy_file(Fixture(std::string("rar/test_rar_multivolume_single_file.") + part + ".rar"),
                      scratch.Path(std::string("set.") + part + ".rar"));
    const std::string path = scratch.Path("set.part1.rar");
    EXPECT_EQ(UnRar_extract("LibarchiveAddingTest.html", path.c_str(), kPassword, scratch.Path("out").c_str()), 0);
    EXPECT_FALSE(fs::exists(scratch.Path("out/LibarchiveAddingTest.html")));
    EXPECT_FALSE(HasLeftovers(scratch.Path()));
}

TEST(RarModule, MemoryDecoderReturnsTheSameBytesAndNullOnFailure) {
    unsigned char* data = nullptr;
    size_t size = 99;
    ASSERT_EQ(DecodeRarEntry("stest2.txt", Fixture("rar/rar3-solid.rar").c_str(), kPassword, &data, &size), 1);
    ASSERT_EQ(size, 2048u);
    EXPECT_EQ(Crc32(std::vector<unsigned char>(data, data + size)), 0xc5b7e6a2u);
    UnRar_freedata(data);
    EXPECT_EQ(DecodeRarEntry("absent.mp3", Fixture("rar/rar3-solid.rar").c_str(), kPassword, &data, &size), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(RarModule, RefusalsLeaveNoFileAndTellTheDebugLog) {
    ScratchFolder scratch;
    PrivateLog(scratch);
    const std::string out = scratch.Path("out");
    fs::create_directories(out);
    // Encrypted data (RAR5): not decodable with the program's password.
    EXPECT_EQ(UnRar_extract("stest1.txt", Fixture("rar/rar5-psw.rar").c_str(), kPassword, out.c_str()), 0);
    // Truncated data.
    EXPECT_EQ(UnRar_extract("test", Fixture("rar/test_read_format_rar_invalid1.rar").c_str(), kPassword, out.c_str()), 0);
    // The old RAR 1.4 format and a file that is no archive.
    WriteBytes(scratch.Path("old.rar"), {'R', 'E', '~', '^', 0, 0, 0, 0, 0, 0});
    WriteBytes(scratch.Path("text.rar"), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(UnRar_extract("a.mp3", scratch.Path("old.rar").c_str(), kPassword, out.c_str()), 0);
    EXPECT_EQ(UnRar_extract("a.mp3", scratch.Path("text.rar").c_str(), kPassword, out.c_str()), 0);
    EXPECT_EQ(UnRar_list(scratch.Path("text.rar").c_str(), CollectEntry, nullptr), -1);
    // Names that would leave the folder are refused before anything is decoded.
    for (const char* name : {"../stest1.txt", "/tmp/stest1.txt", "a/../../stest1.txt"})
        EXPECT_EQ(UnRar_extract(name, Fixture("rar/rar3-solid.rar").c_str(), kPassword, out.c_str()), 0) << name;
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_FALSE(fs::exists(scratch.Path("stest1.txt")));

    const std::string log = ReadLog();
    EXPECT_EQ(log.rfind("UnRar.so debug log", 0), 0u) << log.substr(0, 80);
    EXPECT_NE(log.find("              - Extracting >stest1.txt< from >" + Fixture("rar/rar5-psw.rar") +
                       "< (password is >abcdefgh<)...\n"),
              std::string::npos);
    EXPECT_NE(log.find("- Error - couldn't extract >stest1.txt< and allocated 0 Bytes of unused memory!\n"), std::string::npos);
    EXPECT_NE(log.find("- Attention: format as OLD detected! Can't handel archive!\n"), std::string::npos);
    EXPECT_NE(log.find("- Not a RAR file\n"), std::string::npos);
    EXPECT_NE(log.find(" ms (line "), std::string::npos);
}

TEST(RarModule, SuccessIsLoggedWithItsSize) {
    ScratchFolder scratch;
    PrivateLog(scratch);
    ASSERT_EQ(UnRar_extract("testdir/test.txt", Fixture("rar/test_read_format_rar_compress_normal.rar").c_str(), kPassword,
                            scratch.Path("out").c_str()),
              1);
    EXPECT_NE(ReadLog().find("- Extracted 20 Bytes.\n"), std::string::npos);
}

}  // namespace
}  // namespace tavora::test
