// Which install folder the player uses: the stored one while it exists, else the one
// next to the program.
#include <gtest/gtest.h>

#include <filesystem>

#include "InstallFolder.h"
#include "TempRegistry.h"

using namespace tavora;

TEST(InstallFolderTest, StoredFolderWinsWhileItExists) {
    test::TempRegistry reg;
    const std::string stored = reg.dir().string();
    const std::string derived = (reg.dir() / "elsewhere").string();
    EXPECT_EQ(ResolveInstallFolder(stored, derived), stored);
    EXPECT_EQ(ResolveInstallFolder(stored, ""), stored);
}

TEST(InstallFolderTest, AStaleOrMissingFolderGivesWayToTheProgramsOwn) {
    test::TempRegistry reg;
    const std::string gone = (reg.dir() / "removed-install").string();
    const std::string derived = reg.dir().string();
    EXPECT_EQ(ResolveInstallFolder(gone, derived), derived);
    EXPECT_EQ(ResolveInstallFolder("ERROR", derived), derived);
    EXPECT_EQ(ResolveInstallFolder("", derived), derived);
    // Without a better choice the stored text stays, and a missing one means unknown.
    EXPECT_EQ(ResolveInstallFolder(gone, ""), gone);
    EXPECT_EQ(ResolveInstallFolder("ERROR", ""), "");
}
