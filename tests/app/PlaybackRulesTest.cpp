// Volume and seek arithmetic: clamps at both ends, the percentage on any slider
// length, the tooltips' texts, the taskbar band's 0..38 scale.
#include <gtest/gtest.h>

#include "PlaybackRules.h"

using namespace tavora;

TEST(PlaybackRulesTest, VolumeKeysClampAtBothEnds) {
    EXPECT_EQ(SteppedVolume(2, 50, -3), 0);  // not -1
    EXPECT_EQ(SteppedVolume(0, 50, -3), 0);
    EXPECT_EQ(SteppedVolume(49, 50, +3), 50);
    EXPECT_EQ(SteppedVolume(25, 50, +3), 28);
    EXPECT_EQ(VolumeTooltip(SteppedVolume(49, 50, +3), 50), "소리 크기 - 100%");
    EXPECT_EQ(VolumeTooltip(SteppedVolume(2, 50, -3), 50), "소리 크기 - 0%");
}

TEST(PlaybackRulesTest, ChannelVolumeIsThePercentageOfTheSliderOnEverySkin) {
    EXPECT_EQ(ChannelVolumePercent(25, 50, false), 50);
    EXPECT_EQ(ChannelVolumePercent(50, 100, false), 50);  // a longer slider, the same level
    EXPECT_EQ(ChannelVolumePercent(100, 100, false), 100);
    EXPECT_EQ(ChannelVolumePercent(33, 100, false), 33);
    EXPECT_EQ(ChannelVolumePercent(1, 3, false), 33);  // truncated
    EXPECT_EQ(ChannelVolumePercent(40, 100, true), 0);
    EXPECT_EQ(ChannelVolumePercent(200, 100, false), 100);  // a stale stored value past the end
    EXPECT_EQ(ChannelVolumePercent(-4, 100, false), 0);
    EXPECT_EQ(ChannelVolumePercent(25, 0, false), 50);  // no skin yet
}

TEST(PlaybackRulesTest, SeekStaysWithinTheTrack) {
    EXPECT_EQ(SeekTargetSeconds(30, +1, 200), 40);
    EXPECT_EQ(SeekTargetSeconds(195, +1, 200), 200);
    EXPECT_EQ(SeekTargetSeconds(4, -1, 200), 0);
    EXPECT_EQ(SeekTargetSeconds(10, -1, 200), 0);
    EXPECT_EQ(SeekTargetSeconds(500, +1, 0), 510);  // unknown length
    EXPECT_EQ(SeekTooltip(SeekTargetSeconds(4, -1, 200)), "위치 이동 - 00:00");
    EXPECT_EQ(SeekTooltip(6005), "위치 이동 - 100:05");
    EXPECT_EQ(SeekTooltip(71), "위치 이동 - 01:11");
}

TEST(PlaybackRulesTest, BandVolumeScaleRoundTrips) {
    EXPECT_EQ(BandVolumePosition(0, 50), 0);
    EXPECT_EQ(BandVolumePosition(50, 50), 38);
    EXPECT_EQ(BandVolumePosition(60, 50), 38);
    EXPECT_EQ(BandVolumePosition(25, 50), 19);
    EXPECT_EQ(VolumeFromBandPosition(0, 50), 0);
    EXPECT_EQ(VolumeFromBandPosition(38, 50), 50);
    EXPECT_EQ(VolumeFromBandPosition(19, 50), 25);
    for (int p = 1; p < 38; ++p) EXPECT_LE(VolumeFromBandPosition(p, 73), 73);
}
