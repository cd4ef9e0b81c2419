// The registry access functions: missing-value marks, the read limit, key-path
// case, hives, transactions, and concurrent use from threads.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"
#include "TempRegistry.h"

using namespace tavora;

namespace {
constexpr const char* kKey = "SOFTWARE\\TavoraPlayer\\Setting\\Control";
}

TEST(RegistryTest, MissingValuesReadAsTheirMarks) {
    test::TempRegistry reg;
    EXPECT_EQ(ReadRegDword(kKey, "VolumeValue"), kMissingDword);
    EXPECT_EQ(ReadRegString(kKey, "Anything"), "ERROR");
    EXPECT_EQ(ReadRegDwordOr(kKey, "VolumeValue", 25), 25);
    EXPECT_EQ(ReadRegStringOr(kKey, "Name", "fallback"), "fallback");
    EXPECT_EQ(ReadRegDwordAsText(kKey, "VolumeValue", "none"), "none");
    EXPECT_EQ(ReadRegTextAsNumber(kKey, "Number", 7), 7);
}

TEST(RegistryTest, StoredSentinelsAreIndistinguishableFromMissing) {
    test::TempRegistry reg;
    WriteRegDword(kKey, "VolumeValue", -11550);
    EXPECT_EQ(ReadRegDwordOr(kKey, "VolumeValue", 25), 25);
    WriteRegString(keys::kSkin, "SelectSkinName", "ERROR");
    EXPECT_EQ(ReadRegStringOr(keys::kSkin, "SelectSkinName", "oXu(Default)"), "oXu(Default)");
}

TEST(RegistryTest, DwordsRoundTripIncludingNegativeAndFullRange) {
    test::TempRegistry reg;
    for (int n : {0, 1, -1, 25, 2147483647, -2147483647 - 1}) {
        WriteRegDword(kKey, "N", n);
        EXPECT_EQ(ReadRegDword(kKey, "N"), n);
    }
    WriteRegDword(kKey, "N", 42);
    EXPECT_EQ(ReadRegDwordAsText(kKey, "N", "x"), "42");
}

TEST(RegistryTest, StringReadLimitIsTheBufferWithItsTerminator) {
    test::TempRegistry reg;
    const std::string fits(1023, 'a');
    const std::string tooLong(1024, 'b');
    WriteRegString(kKey, "Fits", fits);
    WriteRegString(kKey, "TooLong", tooLong);
    EXPECT_EQ(ReadRegString(kKey, "Fits"), fits);
    EXPECT_EQ(ReadRegString(kKey, "TooLong"), "ERROR");
    // Korean text is bytes of UTF-8 and stored unchanged.
    WriteRegString(kKey, "Korean", "타보라 플레이어");
    EXPECT_EQ(ReadRegString(kKey, "Korean"), "타보라 플레이어");
}

TEST(RegistryTest, TypeMismatchReadsAsMissing) {
    test::TempRegistry reg;
    WriteRegString(kKey, "Mixed", "12");
    EXPECT_EQ(ReadRegDword(kKey, "Mixed"), kMissingDword);
    EXPECT_EQ(ReadRegTextAsNumber(kKey, "Mixed", 0), 12);
    WriteRegDword(kKey, "Mixed", 5);  // a write replaces the type too
    EXPECT_EQ(ReadRegDword(kKey, "Mixed"), 5);
    EXPECT_EQ(ReadRegString(kKey, "Mixed"), "ERROR");
}

TEST(RegistryTest, TextToNumberFollowsDecimalConversion) {
    test::TempRegistry reg;
    const std::pair<const char*, int> cases[] = {{"75px", 75}, {" -3", -3}, {"abc", 0}, {"", 0}, {"+8", 8}};
    for (auto [text, number] : cases) {
        WriteRegString(kKey, "T", text);
        EXPECT_EQ(ReadRegTextAsNumber(kKey, "T", 99), number) << text;
    }
}

TEST(RegistryTest, KeyPathsAndNamesMatchCaseInsensitively) {
    test::TempRegistry reg;
    WriteRegDword("SOFTWARE\\TavoraPlayer\\Setting\\Control", "AlwaysTop", 1);
    EXPECT_EQ(ReadRegDword("software\\tavoraplayer\\SETTING\\control", "alwaystop"), 1);
    EXPECT_EQ(ReadRegDword("SOFTWARE\\\\TavoraPlayer\\Setting\\Control\\", "ALWAYSTOP"), 1);
    WriteRegDword("SOFTWARE\\TAVORAPLAYER\\setting\\CONTROL", "alwaysTop", 0);
    auto values = store::ListValues(store::Hive::LocalMachine, kKey);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "AlwaysTop");  // the first spelling is kept
    EXPECT_EQ(values[0].dword, 0u);
}

TEST(RegistryTest, ReadingCreatesTheKey) {
    test::TempRegistry reg;
    EXPECT_FALSE(store::KeyExists(store::Hive::LocalMachine, keys::kSize));
    ReadRegDword(keys::kSize, "Main.Size.Left");
    EXPECT_TRUE(store::KeyExists(store::Hive::LocalMachine, keys::kSize));
    EXPECT_TRUE(store::KeyExists(store::Hive::LocalMachine, "SOFTWARE\\TavoraPlayer\\Setting"));
}

TEST(RegistryTest, DeleteKeyRemovesItsValuesAndSubkeysOnly) {
    test::TempRegistry reg;
    WriteRegDword(keys::kSize, "Main.Size.Left", 10);
    WriteRegDword(keys::kSize, "List.Size.Top", 20);
    WriteRegDword("SOFTWARE\\TavoraPlayer\\Setting\\SizeOther", "X", 1);  // shares a prefix
    WriteRegDword(keys::kControl, "Mute", 1);
    DeleteRegKey("software\\tavoraplayer\\setting\\size");
    EXPECT_EQ(ReadRegDword(keys::kSize, "Main.Size.Left"), kMissingDword);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Top"), kMissingDword);
    EXPECT_EQ(ReadRegDword("SOFTWARE\\TavoraPlayer\\Setting\\SizeOther", "X"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), 1);
    DeleteRegValue(keys::kControl, "MUTE");
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), kMissingDword);
}

TEST(RegistryTest, DeleteKeyTakesSubkeysSpelledInAnotherCaseAndSparesNeighbours) {
    test::TempRegistry reg;
    const std::string size = keys::kSize;
    WriteRegDword(size + "\\Deep", "A", 1);
    WriteRegDword("software\\tavoraplayer\\setting\\SIZE\\other", "B", 2);
    // Neighbours that sort between the key and the keys below it, or just after them.
    for (const char* sibling : {"Size Extra", "Size[1]", "Size.Old", "Size]", "Size_"})
        WriteRegDword("SOFTWARE\\TavoraPlayer\\Setting\\" + std::string(sibling), "C", 3);
    EXPECT_TRUE(store::KeyExists(store::Hive::LocalMachine, "software\\TAVORAPLAYER\\setting\\size"));

    DeleteRegKey(keys::kSize);
    EXPECT_EQ(ReadRegDword(size + "\\Deep", "A"), kMissingDword);
    EXPECT_EQ(ReadRegDword(size + "\\Other", "B"), kMissingDword);
    for (const char* sibling : {"Size Extra", "Size[1]", "Size.Old", "Size]", "Size_"})
        EXPECT_EQ(ReadRegDword("SOFTWARE\\TavoraPlayer\\Setting\\" + std::string(sibling), "C"), 3) << sibling;
}

TEST(RegistryTest, KeyWriterStoresItsValuesAllOrNothing) {
    test::TempRegistry reg;
    WriteRegString(keys::kPlayListName, "0", "old");
    {
        store::Transaction outer;
        store::KeyWriter writer(store::Hive::LocalMachine, keys::kPlayListName);
        ASSERT_TRUE(writer.ok());
        EXPECT_TRUE(writer.SetString("0", "new"));
        EXPECT_TRUE(writer.SetString("1", "new too"));
        EXPECT_TRUE(writer.Commit());  // joins the outer transaction, which rolls back
    }
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "0"), "old");
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "1"), kMissingString);

    {
        store::KeyWriter writer(store::Hive::LocalMachine, "software\\tavoraplayer\\playlist\\NAME\\");
        EXPECT_TRUE(writer.SetString("0", "new"));
        EXPECT_TRUE(writer.SetDword("Count", 7));
        EXPECT_TRUE(writer.SetString("count", "text now"));  // the same value, replaced
        EXPECT_TRUE(writer.Commit());
        EXPECT_FALSE(writer.SetString("2", "after the end"));
    }
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "0"), "new");
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "Count"), "text now");
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "2"), kMissingString);
    EXPECT_EQ(store::ListValues(store::Hive::LocalMachine, keys::kPlayListName).size(), 2u);
}

TEST(RegistryTest, HivesAreSeparate) {
    test::TempRegistry reg;
    WriteClassesString(".mp3", "", "tavora.mp3");
    EXPECT_EQ(ReadClassesString(".mp3", ""), "tavora.mp3");
    EXPECT_EQ(ReadRegString(".mp3", ""), "ERROR");
    DeleteClassesKey(".mp3");
    EXPECT_EQ(ReadClassesString(".mp3", ""), "ERROR");
}

TEST(RegistryTest, BatchIsAllOrNothing) {
    test::TempRegistry reg;
    WriteRegString(keys::kPlayListName, "0", "old");
    {
        store::Transaction tx;
        WriteRegString(keys::kPlayListName, "0", "new");
        WriteRegString(keys::kPlayListName, "1", "new too");
        // leaving the scope without Commit() rolls back
    }
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "0"), "old");
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "1"), "ERROR");
    {
        RegistryBatch batch;
        WriteRegString(keys::kPlayListName, "0", "new");
        {
            RegistryBatch inner;  // nested scopes join the outer one
            WriteRegString(keys::kPlayListName, "1", "new too");
        }
    }
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "0"), "new");
    EXPECT_EQ(ReadRegString(keys::kPlayListName, "1"), "new too");
}

TEST(RegistryTest, ConcurrentIncrementsNeverRepeatANumber) {
    test::TempRegistry reg;
    WriteRegDword(keys::kOutFile, keys::kCount, 0);
    constexpr int kThreads = 8, kEach = 25;
    std::vector<std::vector<int>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                got[t].push_back(IncrementRegDword(keys::kOutFile, keys::kCount).value_or(0));
                WriteRegDword(keys::kControl, "Noise" + std::to_string(t), i);  // writers in between
            }
        });
    for (auto& th : threads) th.join();
    std::set<int> all;
    for (auto& g : got) all.insert(g.begin(), g.end());
    EXPECT_EQ(all.size(), size_t(kThreads * kEach));
    EXPECT_EQ(*all.begin(), 1);
    EXPECT_EQ(*all.rbegin(), kThreads * kEach);
    EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), kThreads * kEach);
}

TEST(RegistryTest, IncrementOfMissingCountStartsFromTheMark) {
    test::TempRegistry reg;
    EXPECT_EQ(IncrementRegDword(keys::kOutFile, keys::kCount), std::optional<int>(-11549));
}

TEST(RegistryTest, RolledBackKeysAreCreatedAgainByTheNextRead) {
    test::TempRegistry reg;
    {
        store::Transaction tx;
        ReadRegDword(keys::kEqualizerPreset, "mod");  // creates the key inside the transaction
    }
    EXPECT_FALSE(store::KeyExists(store::Hive::LocalMachine, keys::kEqualizerPreset));
    ReadRegDword(keys::kEqualizerPreset, "mod");
    EXPECT_TRUE(store::KeyExists(store::Hive::LocalMachine, keys::kEqualizerPreset));
}
