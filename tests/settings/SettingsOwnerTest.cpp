// The settings owner, row by row: the default of every setting and the stored name it
// lands under (users' stores and the store tool rely on both), a change seen by a
// follower, and a value another writer put straight into the store read back.
#include <gtest/gtest.h>

#include <vector>

#include "Registry.h"
#include "Settings.h"
#include "TempRegistry.h"
#include "store/RegistryStore.h"

using namespace tavora;

namespace {

const char* const kView = "SOFTWARE\\TavoraPlayer\\Setting\\View";
const char* const kControl = "SOFTWARE\\TavoraPlayer\\Setting\\Control";
const char* const kConnect = "SOFTWARE\\TavoraPlayer\\Setting\\ConnectExt";
const char* const kTags = "SOFTWARE\\TavoraPlayer\\Setting\\TagSortMp3";

struct Row {
    SettingField field;
    const char* key;
    const char* name;
    int first;  // the value on a first start
};

using S = PlayerSettings;
const Row kRows[] = {
    {&S::equalizerShown, kView, "Equalizer", 0},   {&S::listShown, kView, "List", 1},
    {&S::miniPlayerInfo, kView, "MiniPlayerInfo", 0}, {&S::volumeValue, kControl, "VolumeValue", 25},
    {&S::mute, kControl, "Mute", 0},               {&S::repeatOff, kControl, "RepeatOff", 1},
    {&S::repeatOne, kControl, "RepeatOne", 0},     {&S::repeatAll, kControl, "RepeatAll", 0},
    {&S::shuttle, kControl, "Shuttle", 0},         {&S::equalizerOn, kControl, "Equalizer", 1},
    {&S::alwaysTop, kControl, "AlwaysTop", 0},     {&S::beginPlay, kControl, "BeginPlay", 0},
    {&S::autoConnect, kControl, "AutoConnect", 1}, {&S::showTray, kControl, "ShowTray", 0},
    {&S::showTaskbar, kControl, "ShowTaskbar", 0}, {&S::startOpen, kControl, "StartOpen", 1},
    {&S::openFile, kControl, "OpenFile", 1},       {&S::openFolder, kControl, "OpenFolder", 0},
    {&S::openUrl, kControl, "OpenUrl", 0},         {&S::miniPlayer, kControl, "MiniPlayer", 1},
    {&S::crossFade, kControl, "CrossFade", 1},     {&S::normalize, kControl, "Normalize", 0},
    {&S::connectMp3, kConnect, "MP3", 1},          {&S::connectOgg, kConnect, "OGG", 1},
    {&S::connectWma, kConnect, "WMA", 1},          {&S::connectWav, kConnect, "WAV", 1},
    {&S::connectCda, kConnect, "CDA", 1},          {&S::connectPls, kConnect, "PLS", 1},
    {&S::connectM3u, kConnect, "M3U", 1},          {&S::tagVersion, kTags, "Version", 1},
    {&S::type1, kTags, "Type1", 1},                {&S::type2, kTags, "Type2", 0},
    {&S::type3, kTags, "Type3", 0},                {&S::type4, kTags, "Type4", 0},
    {&S::type5, kTags, "Type5", 0},                {&S::type6, kTags, "Type6", 0},
    {&S::type, kTags, "Type", 1},
};

}  // namespace

TEST(SettingsOwnerTest, EverySettingDefaultsLandsUnderItsNameFollowsAndReadsAnotherWriter) {
    test::TempRegistry reg;
    ASSERT_EQ(SettingDefaults().size(), std::size(kRows));
    Settings settings;
    settings.Load();
    std::vector<SettingField> told;
    settings.Follow([&](const SettingsChange& change) {
        told.insert(told.end(), change.fields.begin(), change.fields.end());
    });
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(settings.Value(row.field), row.first);
        settings.Save({row.field});
        EXPECT_EQ(ReadRegDword(row.key, row.name), row.first);

        told.clear();
        settings.Set(row.field, row.first + 7);
        EXPECT_EQ(told, std::vector<SettingField>{row.field});
        EXPECT_EQ(settings.Values().*row.field, row.first + 7);
        EXPECT_EQ(ReadRegDword(row.key, row.name), row.first + 7);

        told.clear();
        // Another writer (the store tool) puts a value straight into the store.
        const auto other = static_cast<uint32_t>(row.first + 40);
        ASSERT_TRUE(store::SetDword(store::Hive::LocalMachine, row.key, row.name, other));
        settings.Load();
        EXPECT_EQ(settings.Value(row.field), row.first + 40);
        EXPECT_EQ(told, std::vector<SettingField>{row.field});
    }
}
