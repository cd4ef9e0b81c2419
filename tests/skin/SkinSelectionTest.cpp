// Choosing the skin at start-up, listing skins and applying the skin page's choice.
#include <gtest/gtest.h>

#include "Registry.h"
#include "RegistryKeys.h"
#include "SkinBitmap.h"
#include "SkinSelection.h"
#include "SkinTestSupport.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

class StartupChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteRegString(keys::kRoot, keys::kInstallDir, install.str());
        // A stored window size, to see whether the choice keeps it.
        WriteRegDword(keys::kSize, "Main.Size.Left", 120);
        SetSkinsMissing(false);
    }
    void AddSkin(const std::string& folder, const std::string& name) {
        test::WriteSkinFolder(install.path() / "skin" / folder, name);
    }
    void Select(const std::string& name) { WriteRegString(keys::kSkin, kSelectSkinNameValue, name); }
    bool SizesKept() { return ReadRegDword(keys::kSize, "Main.Size.Left") == 120; }
    StartupSkinChoice Choose() {
        return ChooseStartupSkin([this](int command) { sent.push_back(command); });
    }

    test::TempRegistry registry;
    test::TempFolder install;
    std::vector<int> sent;
};

TEST_F(StartupChoiceTest, NoStoredNamePicksTheDefaultSkinAndKeepsSizes) {
    AddSkin("a", "Alpha");
    AddSkin("b", "oXu(Default)");
    AddSkin("c", "Gamma");
    const StartupSkinChoice choice = Choose();
    EXPECT_EQ(choice.index, 1);
    EXPECT_TRUE(choice.nameMatched);
    EXPECT_EQ(SelectedSkinName, "oXu(Default)");
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/b");
    EXPECT_EQ(CurrentSkinFile, install.str() + "/skin/b/TavoraSkin.xml");
    EXPECT_TRUE(SizesKept());
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(SkinsMissing());
}

TEST_F(StartupChoiceTest, RemovedSkinFallsBackToTheFirstAndDropsSizes) {
    Select("Removed");
    AddSkin("m", "Mango");
    AddSkin("k", "Kiwi");
    const StartupSkinChoice choice = Choose();
    ASSERT_EQ(choice.list.skins.size(), 2u);
    EXPECT_EQ(choice.index, 0);
    EXPECT_EQ(choice.list.skins[0].name, "Kiwi");  // listed by folder name
    EXPECT_EQ(SelectedSkinName, "Kiwi");
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/k");
    EXPECT_FALSE(SizesKept());
}

TEST_F(StartupChoiceTest, RemovedSkinWithDefaultsInstalledTakesTheLastDefault) {
    Select("Removed");
    AddSkin("1", "oXu(Default)");
    AddSkin("2", "Other");
    AddSkin("3", "oXu(Default)");
    AddSkin("4", "More");
    const StartupSkinChoice choice = Choose();
    EXPECT_EQ(choice.index, 2);
    EXPECT_EQ(SelectedSkinName, "oXu(Default)");
    EXPECT_FALSE(SizesKept());
}

TEST_F(StartupChoiceTest, OneSkinOfAnotherNameIsUsedUnderTheDefaultName) {
    Select("Removed");
    AddSkin("only", "Lonely");
    const StartupSkinChoice choice = Choose();
    EXPECT_EQ(choice.index, 0);
    EXPECT_EQ(SelectedSkinName, "oXu(Default)");
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/only");
    EXPECT_FALSE(SizesKept());
    EXPECT_FALSE(SkinsMissing());
}

TEST_F(StartupChoiceTest, EqualNamesChooseTheLastListed) {
    Select("Twin");
    AddSkin("x1", "Twin");
    AddSkin("x2", "Twin");
    EXPECT_EQ(Choose().index, 1);
    EXPECT_TRUE(SizesKept());
}

TEST_F(StartupChoiceTest, NoSkinsRootCreatesItAndAsksForTheSkins) {
    const StartupSkinChoice choice = Choose();
    EXPECT_TRUE(std::filesystem::is_directory(install.path() / "skin"));
    EXPECT_TRUE(choice.skinsMissing);
    EXPECT_TRUE(SkinsMissing());
    EXPECT_EQ(sent, (std::vector<int>{kCommandAutoUpdateSkin}));
    EXPECT_FALSE(SizesKept());
    EXPECT_EQ(choice.index, -1);
    EXPECT_TRUE(CurrentSkinFolder.empty());
}

TEST_F(StartupChoiceTest, EmptySkinsRootAsksForTheSkinsToo) {
    std::filesystem::create_directories(install.path() / "skin" / ".hidden");
    test::WriteText(install.path() / "skin" / "loose-file.xml", "x");
    const StartupSkinChoice choice = Choose();
    EXPECT_TRUE(choice.list.skins.empty());
    EXPECT_TRUE(choice.skinsMissing);
    EXPECT_EQ(sent, (std::vector<int>{kCommandAutoUpdateSkin}));
}

TEST_F(StartupChoiceTest, UnknownInstallFolderCreatesNothing) {
    WriteRegString(keys::kRoot, keys::kInstallDir, "");
    const StartupSkinChoice choice = Choose();
    EXPECT_TRUE(choice.skinsMissing);
    EXPECT_FALSE(std::filesystem::exists("/skin"));
    EXPECT_TRUE(CurrentSkinFile.empty());
}

TEST(SkinListTest, FoldersWithoutAReadableNameAreListedWithAnEmptyName) {
    test::TempFolder root;
    test::WriteSkinFolder(root.path() / "a", "oXu(Default)");
    std::filesystem::create_directories(root.path() / "b");  // no description file
    test::WriteText(root.path() / "c" / "TavoraSkin.xml", "<TavoraSkin><broken");
    const SkinList list = EnumerateSkins(root.str(), "oXu(Default)");
    ASSERT_EQ(list.skins.size(), 3u);
    EXPECT_EQ(list.skins[1].name, "");
    EXPECT_EQ(list.skins[2].name, "");
    EXPECT_EQ(list.skins[2].folder, root.str() + "/c");
    EXPECT_EQ(list.matched, 0);  // the nameless folders do not inherit a match
}

TEST(SkinListTest, AtMost260SkinsAreListed) {
    test::TempFolder root;
    for (int i = 0; i < 265; ++i) std::filesystem::create_directories(root.path() / ("s" + std::to_string(1000 + i)));
    EXPECT_EQ(EnumerateSkins(root.str(), "x").skins.size(), 260u);
}

TEST(ApplySkinChoiceTest, OnlyAnotherSkinReloads) {
    SkinList list;
    list.skins = {{"One", "/skins/one"}, {"Two", "/skins/two"}};
    std::vector<int> sent;
    auto send = [&](int command) { sent.push_back(command); };
    CurrentSkinFolder = "/skins/one";
    SelectedSkinName = "One";
    EXPECT_FALSE(ApplySkinChoice(list, 0, 0, send));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(ApplySkinChoice(list, 1, 0, send));
    EXPECT_EQ(sent, (std::vector<int>{kCommandUpdateSkin}));
    EXPECT_EQ(CurrentSkinFolder, "/skins/two");
    EXPECT_EQ(SelectedSkinName, "Two");
    EXPECT_FALSE(ApplySkinChoice(list, 5, 0, send));
}

}  // namespace
}  // namespace tavora
