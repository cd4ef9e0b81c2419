// The equaliser's arithmetic and tables: gain <-> thumb offset, presses above and
// below the track, the master slider's percentage and mixer level, which slider
// drives which band, the tooltips, the presets and the restore rule.
#include <gtest/gtest.h>

#include <utility>

#include "EqualizerRules.h"

namespace tavora::eq {
namespace {

// A track 60 pixels long under an 8-pixel thumb, its top at y = 20.
SliderGeometry Track() { return SliderGeometry{20, 60, 8, 20, 80}; }

TEST(EqualizerRulesTest, GainsPlaceThumbsAndThumbOffsetsReadAsGains) {
    const SliderGeometry g = Track();
    // span = 60 + 8 + 4 = 72: centre 36 - 4 = 32, step 72 / 24 = 3 pixels per dB.
    EXPECT_EQ(g.PositionOf(0), 32);
    EXPECT_EQ(g.PositionOf(12), 32 - 36);
    EXPECT_EQ(g.PositionOf(-12), 32 + 36);
    // b = 64: the upper half reads 12 - v / (64 / 24), the lower half -(v - 32) / (64 / 24),
    // both cut towards zero.
    const std::pair<int, int> offsetGain[] = {{0, 12},  {1, 11},  {2, 11},  {3, 10},   {17, 5},   {31, 0},
                                              {32, 0},  {33, 0},  {34, 0},  {35, -1},  {49, -6},  {63, -11},
                                              {65, -12}, {66, -12}, {67, -13}, {68, -13}};
    for (const auto& [offset, gain] : offsetGain) EXPECT_EQ(g.GainOf(offset), gain) << offset;
    // A track 50 pixels long under an 8-pixel thumb: top +12, bottom (58) -13.
    const SliderGeometry shorter{20, 50, 8, 20, 70};
    EXPECT_EQ(shorter.GainOf(0), 12);
    EXPECT_EQ(shorter.GainOf(shorter.OffsetFromY(500)), -13);
}

TEST(EqualizerRulesTest, PressesAboveTheTopGiveTheTopAndBelowTheBottomGoPastFullScale) {
    const SliderGeometry g = Track();
    EXPECT_EQ(g.OffsetFromY(0), 0);
    EXPECT_EQ(g.OffsetFromY(20), 0);
    EXPECT_EQ(g.OffsetFromY(21), 1);
    EXPECT_EQ(g.OffsetFromY(83), 63);   // just above Th/2 + full bottom (84)
    EXPECT_EQ(g.OffsetFromY(84), 68);   // empty bottom + Th - full top
    EXPECT_EQ(g.OffsetFromY(500), 68);
}

TEST(EqualizerRulesTest, MasterSliderPercentLevelAndPosition) {
    const SliderGeometry g = Track();  // b = 64
    EXPECT_EQ(g.MasterPercent(0), 100);
    EXPECT_EQ(g.MasterPercent(32), 50);
    EXPECT_EQ(g.MasterPercent(64), 0);
    EXPECT_EQ(g.MasterPercent(68), 0);  // at or below the bottom limit
    // level x (max / b), the division first: 65535 / 64 = 1023.
    EXPECT_EQ(g.MasterLevel(32, 65535), 32u * 1023u);
    EXPECT_EQ(g.MasterLevel(0, 65535), 65535u);
    EXPECT_EQ(g.MasterLevel(64, 65535), 0u);
    // Below the track's bottom is silence, not a little volume again.
    EXPECT_EQ(g.MasterLevel(68, 65535), 0u);
    EXPECT_EQ(g.MasterOffset(65535, 65535), 0);
    EXPECT_EQ(g.MasterOffset(0, 65535), 64);
    EXPECT_EQ(g.MasterOffset(32768, 65535), 32);
    EXPECT_EQ(g.MasterOffset(70000, 65535), 0);
    EXPECT_EQ(g.MasterOffset(100, 0), 64);  // no mixer: the bottom
}

TEST(EqualizerRulesTest, SlidersRunFromTheHighestBandToTheLowest) {
    EXPECT_EQ(BandOfSlider(1), 9);
    EXPECT_EQ(BandOfSlider(3), 7);
    EXPECT_EQ(BandOfSlider(10), 0);
    EXPECT_EQ(BandOfSlider(11), -1);
    EXPECT_EQ(BandOfSlider(0), -1);
    for (int band = 0; band < kBandCount; ++band) EXPECT_EQ(BandOfSlider(SliderOfBand(band)), band);
    EXPECT_EQ(SliderTooltip(1, 3), "Equalizer 16K: 3");
    EXPECT_EQ(SliderTooltip(3, -4), "Equalizer 12K: -4");
    EXPECT_EQ(SliderTooltip(6, 0), "Equalizer 1K: 0");
    EXPECT_EQ(SliderTooltip(10, 12), "Equalizer 60: 12");
    EXPECT_EQ(SliderTooltip(11, 40), "Master Volume: 40");
    EXPECT_EQ(SliderTooltip(12, 1), "");
}

TEST(EqualizerRulesTest, SoftPresetPutsFourOnTwelveKiloHertzAndFiveOnFourteen) {
    const auto soft = PresetOfCommand(32800);
    ASSERT_TRUE(soft);
    const Preset& p = Presets()[static_cast<size_t>(*soft)];
    EXPECT_STREQ(p.name, "소프트");
    EXPECT_EQ(p.gains[7], 4);  // 12000 Hz
    EXPECT_EQ(p.gains[8], 5);  // 14000 Hz
    EXPECT_EQ(p.gains[static_cast<size_t>(BandOfSlider(3))], 4);  // the 12K slider
    EXPECT_EQ(p.gains[static_cast<size_t>(BandOfSlider(2))], 5);  // the 14K slider
}

TEST(EqualizerRulesTest, PresetCommandsAreDistinctAndTheMenuShowsEachOnce) {
    std::array<int, kPresetCount> seen{};
    for (int index : PresetMenuOrder()) ++seen[static_cast<size_t>(index)];
    for (int count : seen) EXPECT_EQ(count, 1);
    for (int i = 0; i < kPresetCount; ++i) EXPECT_EQ(PresetOfCommand(Presets()[static_cast<size_t>(i)].command), i);
    EXPECT_FALSE(PresetOfCommand(32803));
    EXPECT_EQ(Presets()[static_cast<size_t>(PresetMenuOrder()[6])].name, std::string("고음 강조"));
    EXPECT_EQ(Presets()[static_cast<size_t>(PresetMenuOrder()[16])].name, std::string("테크노"));
}

TEST(EqualizerRulesTest, RestoreKeepsStoredGainsUnlessTheFirstIsMissingOrBelowMinusTwenty) {
    std::array<std::optional<int>, kBandCount> stored;
    for (int i = 0; i < kBandCount; ++i) stored[static_cast<size_t>(i)] = i - 5;
    Gains expected{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4};
    EXPECT_EQ(RestoredGains(stored), expected);
    stored[0] = -20;
    expected[0] = -20;
    EXPECT_EQ(RestoredGains(stored), expected);
    stored[0] = -21;
    EXPECT_EQ(RestoredGains(stored), Gains{});
    stored[0].reset();
    EXPECT_EQ(RestoredGains(stored), Gains{});
    // A damaged later value does not reach the engine as it is.
    stored[0] = 1;
    stored[3].reset();
    stored[4] = 900;
    const Gains restored = RestoredGains(stored);
    EXPECT_EQ(restored[3], 0);
    EXPECT_EQ(restored[4], 20);
}

}  // namespace
}  // namespace tavora::eq
