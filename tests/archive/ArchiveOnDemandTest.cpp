// The archive modules are loaded at start, but libarchive only when the first archive
// is opened; listing then works as before. A program of its own, so that nothing else
// in it has libarchive loaded already.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ArchiveTestSupport.h"

namespace tavora::test {
namespace {

bool LibarchiveMapped() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("libarchive.so") != std::string::npos) return true;
    return false;
}

TEST(ArchiveOnDemand, LibarchiveLoadsWithTheFirstZipFile) {
    ScratchFolder scratch;
    const std::string zip = scratch.Path("songs.zip");
    const std::string script = std::string(std::getenv("TAVORA_SOURCE_DIR")) + "/tests/archive/make_zip.py";
    ASSERT_TRUE(RunShell("python3 " + Quote(script) + " " + Quote(zip) + " " +
                         Quote(R"([{"name": "a.mp3", "data": "song"}, {"name": "노래.ogg", "data": "another"}])")));
    // The module is there (linked), its reader is not.
    EXPECT_FALSE(LibarchiveMapped());

    TavoraZip* archive = OpenZip(zip.c_str(), "/nonexistent");
    ASSERT_NE(archive, nullptr);
    EXPECT_TRUE(LibarchiveMapped());
    std::vector<ListedEntry> listed;
    for (int more = GotoFirstFile(archive); more; more = GotoNextFile(archive)) {
        TavoraArchiveEntry info{};
        ASSERT_TRUE(GetFileInfo(archive, &info));
        CollectEntry(&listed, &info);
    }
    CloseZip(archive);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, "a.mp3");
    EXPECT_EQ(listed[1].name, "노래.ogg");
}

}  // namespace
}  // namespace tavora::test
