// The settings loader: first start defaults, stored values, and the title-format rule.
#include <gtest/gtest.h>

#include "PlayerSettings.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"

using namespace tavora;

TEST(PlayerSettingsTest, EmptyStoreGivesTheFirstStartDefaults) {
    test::TempRegistry reg;
    const PlayerSettings s = LoadPlayerSettings();
    EXPECT_EQ(s.listShown, 1);
    EXPECT_EQ(s.equalizerShown, 0);
    EXPECT_EQ(s.volumeValue, 25);
    EXPECT_EQ(s.repeatOff, 1);
    EXPECT_EQ(s.repeatOne + s.repeatAll, 0);
    EXPECT_EQ(s.shuttle, 0);
    EXPECT_EQ(s.equalizerOn, 1);
    EXPECT_EQ(s.crossFade, 1);
    EXPECT_EQ(s.openFile, 1);
    EXPECT_EQ(s.openFolder + s.openUrl, 0);
    EXPECT_EQ(s.autoConnect, 1);
    EXPECT_EQ(s.startOpen, 1);
    EXPECT_EQ(s.miniPlayer, 1);
    EXPECT_EQ(s.miniPlayerInfo, 0);
    for (int flag : {s.connectMp3, s.connectOgg, s.connectWma, s.connectWav, s.connectCda, s.connectPls,
                     s.connectM3u})
        EXPECT_EQ(flag, 1);
    EXPECT_EQ(s.tagVersion, 1);
    EXPECT_EQ(s.type1, 1);
    EXPECT_EQ(s.type, 1);
}

TEST(PlayerSettingsTest, EveryTableRowReadsItsStoredValueOrItsDefault) {
    test::TempRegistry reg;
    // Store a distinct value for every row, then -11550 for every row.
    int n = 100;
    for (const SettingDefault& d : SettingDefaults()) WriteRegDword(d.key, d.name, n++);
    PlayerSettings s = LoadPlayerSettings();
    n = 100;
    for (const SettingDefault& d : SettingDefaults()) EXPECT_EQ(s.*d.member, n++) << d.name;
    for (const SettingDefault& d : SettingDefaults()) WriteRegDword(d.key, d.name, kMissingDword);
    s = LoadPlayerSettings();
    for (const SettingDefault& d : SettingDefaults()) EXPECT_EQ(s.*d.member, d.fallback) << d.name;
}

TEST(PlayerSettingsTest, TitleFormatFlagsResetOnlyWhenTheFirstIsMissing) {
    test::TempRegistry reg;
    WriteRegDword(keys::kTagSortMp3, "Type2", 1);
    WriteRegDword(keys::kTagSortMp3, "Type", 2);
    PlayerSettings s = LoadPlayerSettings();
    EXPECT_EQ(s.type1, 1);
    EXPECT_EQ(s.type2, 0);
    EXPECT_EQ(s.type, 1);
    WriteRegDword(keys::kTagSortMp3, "Type1", 0);
    s = LoadPlayerSettings();
    EXPECT_EQ(s.type1, 0);
    EXPECT_EQ(s.type2, 1);
    EXPECT_EQ(s.type, 2);
}
