// Choosing the skin at start-up, listing skins and applying the skin page's choice.
#include <gtest/gtest.h>

#include "Registry.h"
#include "RegistryKeys.h"
#include "SkinBitmap.h"
#include "SkinPage.h"
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
        SetSkinNotice([this](const std::string& text) { notices.push_back(text); });
    }
    void TearDown() override { SetSkinNotice({}); }
    std::filesystem::path Skin(const std::string& folder) { return install.path() / "skin" / folder; }
    void AddSkin(const std::string& folder, const std::string& name) { test::WriteSkinFolder(Skin(folder), name); }
    // A skin whose main window would have no size.
    void AddBrokenSkin(const std::string& folder, const std::string& name) {
        test::WriteSkinFolder(Skin(folder), name, test::MainGround("0", "-5"));
    }
    void Select(const std::string& name) { WriteRegString(keys::kSkin, kSelectSkinNameValue, name); }
    std::string Stored() { return ReadRegStringOr(keys::kSkin, kSelectSkinNameValue, "(none)"); }
    bool SizesKept() { return ReadRegDword(keys::kSize, "Main.Size.Left") == 120; }
    StartupSkinChoice Choose() {
        return ChooseStartupSkin([this](cmd::Command command) { sent.push_back(command); });
    }

    test::TempRegistry registry;
    test::TempFolder install;
    std::vector<int> sent;
    std::vector<std::string> notices;
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
    EXPECT_EQ(sent, (std::vector<int>{cmd::AutoUpdateSkin}));
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
    EXPECT_EQ(sent, (std::vector<int>{cmd::AutoUpdateSkin}));
}

TEST_F(StartupChoiceTest, UnknownInstallFolderCreatesNothing) {
    WriteRegString(keys::kRoot, keys::kInstallDir, "");
    const StartupSkinChoice choice = Choose();
    EXPECT_TRUE(choice.skinsMissing);
    EXPECT_FALSE(std::filesystem::exists("/skin"));
    EXPECT_TRUE(CurrentSkinFile.empty());
}

TEST_F(StartupChoiceTest, TheShippedSkinsAreFoundByTheirNames) {
    std::filesystem::create_directory_symlink(TAVORA_GENERATED_SKINS_DIR, install.path() / "skin");
    StartupSkinChoice choice = Choose();
    ASSERT_EQ(choice.list.skins.size(), 2u);
    EXPECT_TRUE(choice.nameMatched);
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/Default");
    Select("Nimbus");
    choice = Choose();
    EXPECT_EQ(choice.index, 1);
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/Nimbus");
    EXPECT_TRUE(SizesKept());
    EXPECT_TRUE(sent.empty());
}

// --- Unusable skins --------------------------------------------------------------

TEST_F(StartupChoiceTest, AnUnusableChosenSkinGivesWayToTheDefaultAndTheUserIsToldOnce) {
    Select("Mine");
    AddSkin("a-default", kDefaultSkinName);
    AddBrokenSkin("b-mine", "Mine");
    AddSkin("c-other", "Other");
    const StartupSkinChoice choice = Choose();
    EXPECT_TRUE(choice.replaced);
    EXPECT_EQ(choice.index, 0);
    EXPECT_EQ(CurrentSkinFolder, Skin("a-default").string());
    EXPECT_EQ(CurrentSkinFile, Skin("a-default").string() + "/TavoraSkin.xml");
    EXPECT_EQ(SelectedSkinName, kDefaultSkinName);
    EXPECT_EQ(Stored(), kDefaultSkinName);  // the user's skin is of no use: the fallback is kept
    EXPECT_FALSE(SizesKept());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].rfind("스킨을 사용할 수 없어 기본 스킨으로 바꿨습니다.\nb-mine: ", 0), 0u) << notices[0];
    EXPECT_EQ(choice.notice, notices[0]);
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(SkinsMissing());
}

TEST_F(StartupChoiceTest, AUsableChosenSkinIsKeptAndNothingIsStoredOrSaid) {
    Select("Mine");
    AddSkin("a-default", kDefaultSkinName);
    AddSkin("b-mine", "Mine");
    const StartupSkinChoice choice = Choose();
    EXPECT_FALSE(choice.replaced);
    EXPECT_EQ(CurrentSkinFolder, Skin("b-mine").string());
    EXPECT_EQ(Stored(), "Mine");
    EXPECT_TRUE(SizesKept());
    EXPECT_TRUE(notices.empty());
}

TEST_F(StartupChoiceTest, WithoutAUsableDefaultAnyUsableSkinIsTaken) {
    Select("Mine");
    AddBrokenSkin("a-default", kDefaultSkinName);
    AddBrokenSkin("b-mine", "Mine");
    AddSkin("c-other", "Other");
    const StartupSkinChoice choice = Choose();
    EXPECT_EQ(CurrentSkinFolder, Skin("c-other").string());
    EXPECT_EQ(Stored(), "Other");
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(StartupChoiceTest, WhenNoSkinIsUsableTheSkinsAreFetchedAndTheChoiceStays) {
    Select("Mine");
    AddBrokenSkin("a-default", kDefaultSkinName);
    test::WriteText(Skin("b-mine") / "TavoraSkin.xml", "<TavoraSkin><Default><General><SkinName ID=\"ID_SKIN_NAME\" Name=\"Mine\"/>");
    const StartupSkinChoice choice = Choose();
    EXPECT_FALSE(choice.replaced);
    EXPECT_TRUE(choice.skinsMissing);
    EXPECT_TRUE(SkinsMissing());
    EXPECT_EQ(sent, (std::vector<int>{cmd::AutoUpdateSkin}));
    EXPECT_EQ(Stored(), "Mine");  // nothing better to store
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].rfind("사용할 수 있는 스킨이 없습니다.\n", 0), 0u) << notices[0];
}

TEST_F(StartupChoiceTest, ASkinChangeToAnUnusableSkinFallsBackAsWell) {
    AddSkin("a-default", kDefaultSkinName);
    AddBrokenSkin("b-broken", "Broken");
    CurrentSkinFolder = Skin("b-broken").string();
    SelectedSkinName = "Broken";
    const std::string notice = ReloadAllSkins();
    EXPECT_EQ(CurrentSkinFolder, Skin("a-default").string());
    EXPECT_EQ(CurrentSkinFile, Skin("a-default").string() + "/TavoraSkin.xml");
    EXPECT_EQ(SelectedSkinName, kDefaultSkinName);
    EXPECT_EQ(notices, std::vector<std::string>{notice});
    EXPECT_FALSE(notice.empty());

    CurrentSkinFolder = Skin("a-default").string();
    EXPECT_TRUE(ReloadAllSkins().empty());
    EXPECT_EQ(notices.size(), 1u);
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
    auto send = [&](cmd::Command command) { sent.push_back(command); };
    CurrentSkinFolder = "/skins/one";
    SelectedSkinName = "One";
    EXPECT_FALSE(ApplySkinChoice(list, 0, 0, send));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(ApplySkinChoice(list, 1, 0, send));
    EXPECT_EQ(sent, (std::vector<int>{cmd::UpdateSkin}));
    EXPECT_EQ(CurrentSkinFolder, "/skins/two");
    EXPECT_EQ(SelectedSkinName, "Two");
    EXPECT_FALSE(ApplySkinChoice(list, 5, 0, send));
}

}  // namespace
}  // namespace tavora

namespace tavora {
namespace {

// The widget grab goes through the window system's backing store, which may round.
bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 && std::abs(qBlue(a) - qBlue(b)) <= 3;
}

void WritePreviewSkin(const std::filesystem::path& folder, const std::string& name, QColor color) {
    test::WriteText(folder / "TavoraSkin.xml",
                    "<TavoraSkin><Default><General><SkinName ID=\"ID_SKIN_NAME\" Name=\"" + name +
                        "\"/></General></Default><Setting><Screenshot>"
                        "<Ground ID=\"ID_SETTING_SCREENSHOT\" GroundImage=\"shot.bmp\" X=\"0\" Y=\"0\" Width=\"226\" "
                        "Height=\"117\" LineUp=\"1\"/></Screenshot></Setting></TavoraSkin>");
    test::WriteBmp(folder, "shot.bmp", 226, 117, color);
}

TEST(SkinPageTest, ListsSkinsPreviewsTheSelectionAndAppliesOnlyAChange) {
    test::App();
    test::TempRegistry registry;
    test::TempFolder install;
    WriteRegString(keys::kRoot, keys::kInstallDir, install.str());
    WritePreviewSkin(install.path() / "skin" / "a", "Amber", QColor(200, 100, 0));
    WritePreviewSkin(install.path() / "skin" / "b", "Blue", QColor(0, 60, 200));
    SelectedSkinName = "Blue";
    CurrentSkinFolder = install.str() + "/skin/b";

    SkinPage page;
    ASSERT_EQ(page.skins().skins.size(), 2u);
    EXPECT_EQ(page.selectedIndex(), 1);
    EXPECT_EQ(page.currentIndex(), 1);
    EXPECT_EQ(PreviewSkinFolder, install.str() + "/skin/b");
    EXPECT_TRUE(Near(page.grab().toImage().pixel(160 + 100, 51 + 50), qRgb(0, 60, 200)));

    page.Select(0);
    EXPECT_EQ(page.selectedIndex(), 0);
    EXPECT_EQ(PreviewSkinFolder, install.str() + "/skin/a");
    EXPECT_TRUE(Near(page.grab().toImage().pixel(160 + 225, 51 + 116), qRgb(200, 100, 0)));

    std::vector<int> sent;
    EXPECT_TRUE(page.Apply([&](cmd::Command command) { sent.push_back(command); }));
    EXPECT_EQ(sent, (std::vector<int>{cmd::UpdateSkin}));
    EXPECT_EQ(SelectedSkinName, "Amber");
    EXPECT_EQ(CurrentSkinFolder, install.str() + "/skin/a");
    EXPECT_FALSE(page.Apply([&](cmd::Command command) { sent.push_back(command); }));  // already current
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
}  // namespace tavora
