// The display rules: lamps, time displays, rate digits, repeat cycle, slider
// arithmetic, title scroll and status-message priority.
#include <gtest/gtest.h>

#include "DigitDisplay.h"
#include "MainDisplayRules.h"

using namespace tavora;
using namespace tavora::mainwin;

TEST(MainDisplayRules, ChannelLampsFollowPlaybackAndChannels) {
    EXPECT_EQ(ChannelState(false, false, false, 2), 0);
    EXPECT_EQ(ChannelState(false, false, true, 2), 0);
    EXPECT_EQ(ChannelState(true, false, false, 1), 1);
    EXPECT_EQ(ChannelState(false, true, false, 1), 1);
    EXPECT_EQ(ChannelState(true, false, false, 2), 2);
    EXPECT_EQ(ChannelState(true, false, false, 6), 2);
    EXPECT_EQ(ChannelState(true, false, true, 1), 2) << "an internet stream always counts as stereo";
    EXPECT_EQ(PlayLampFor(true, false), PlayLamp::Play);
    EXPECT_EQ(PlayLampFor(false, true), PlayLamp::Wait);
    EXPECT_EQ(PlayLampFor(false, false), PlayLamp::Stop);
}

TEST(MainDisplayRules, TimeDisplayModes) {
    EXPECT_EQ(TimeDisplaySeconds(true, true, 83.9, 245.7), 83);
    EXPECT_EQ(TimeDisplaySeconds(true, false, 83.9, 245.7), 162) << "whole seconds each, then the difference";
    EXPECT_EQ(TimeDisplaySeconds(false, true, 83.9, 245.7), 0);
    EXPECT_EQ(TimeDisplaySeconds(false, false, 0, 0), 0) << "remaining mode with nothing loaded reads 00:00";
    EXPECT_EQ(TimeDisplaySeconds(true, false, 246.2, 245.0), 0) << "never negative";
    EXPECT_EQ(TimeDisplaySeconds(true, true, std::nan(""), 10), 0);
    EXPECT_EQ(TimeDigits(TimeDisplaySeconds(true, true, 83, 245)), "0123");
}

TEST(MainDisplayRules, HundredMinutesShowTheFirstFourCharacters) {
    const std::string text = TimeDigits(TimeDisplaySeconds(true, false, 0, 6005));
    EXPECT_EQ(text, "10005");
    EXPECT_EQ(text.substr(0, 4), "1000") << "the display has four slots: 100:05 reads 10:00";
}

TEST(MainDisplayRules, SampleRateAndBitRateDigits) {
    EXPECT_EQ(SampleRateText(SampleRateHz(false, 44100)), "044");
    EXPECT_EQ(SampleRateText(SampleRateHz(false, 48000)), "048");
    EXPECT_EQ(SampleRateText(SampleRateHz(false, 8000)), "008");
    EXPECT_EQ(SampleRateText(SampleRateHz(false, 192000)), "192");
    EXPECT_EQ(SampleRateText(SampleRateHz(true, 22050)), "044") << "internet streams show 44 kHz";

    EXPECT_EQ(BitrateText(BitrateKbps(true, "128", 0, 0)), "128");
    EXPECT_EQ(BitrateText(BitrateKbps(true, "64", 0, 0)), "064");
    EXPECT_EQ(BitrateText(BitrateKbps(true, "", 0, 0)), "000");
    EXPECT_EQ(BitrateKbps(true, "-5", 0, 0), 0);
    // 4,000,000 bytes over 250 s: 32,000 bytes/s = 128 kbps; 4,010,000 rounds to 128.
    EXPECT_EQ(BitrateKbps(false, {}, 4000000, 250), 128);
    EXPECT_EQ(BitrateKbps(false, {}, 4010000, 250), 128);
    EXPECT_EQ(BitrateKbps(false, {}, 4020000, 250), 129);
    EXPECT_EQ(BitrateKbps(false, {}, 4000000, 0), 0) << "an unknown length gives no rate, not a division by zero";
    EXPECT_EQ(BitrateText(BitrateKbps(false, {}, uint64_t{1} << 40, 1)), "999") << "three digits at most";
}

TEST(MainDisplayRules, RepeatCycleAndTexts) {
    EXPECT_EQ(NextRepeatMode(RepeatMode::One), RepeatMode::All);
    EXPECT_EQ(NextRepeatMode(RepeatMode::All), RepeatMode::None);
    EXPECT_EQ(NextRepeatMode(RepeatMode::None), RepeatMode::One);
    EXPECT_STREQ(RepeatStatusText(RepeatMode::All), "전곡 반복");
    EXPECT_STREQ(RepeatStatusText(RepeatMode::None), "반복 없음");
    EXPECT_STREQ(RepeatStatusText(RepeatMode::One), "한곡 반복");
    EXPECT_EQ(RepeatModeOf(0, 0), RepeatMode::None);
    EXPECT_EQ(RepeatModeOf(1, 0), RepeatMode::One);
    EXPECT_EQ(RepeatModeOf(0, 1), RepeatMode::All);
}

TEST(MainDisplayRules, SeekTargetFromSliderUnits) {
    EXPECT_EQ(SeekSecondsFromUnits(158, 245, 316), 122);
    EXPECT_EQ(SeekSecondsFromUnits(316, 245, 316), 245);
    EXPECT_EQ(SeekSecondsFromUnits(0, 245, 316), 0);
    EXPECT_EQ(SeekSecondsFromUnits(100, 245, 0), 0) << "a skin without a track never divides by zero";
    EXPECT_EQ(SeekSecondsFromUnits(316, 4000000000u, 316), 4000000000L) << "no overflow on huge lengths";
}

TEST(MainDisplayRules, TitleScroll) {
    // A short title stays centred, 20 pixels right of the middle.
    EXPECT_EQ(TitleDrawX(220, 100, -37), 80);
    EXPECT_EQ(NextTitleX(0, 220, 100), 80);
    // A long one moves left a pixel per step and re-enters from the right once gone.
    EXPECT_EQ(TitleDrawX(220, 300, -37), -37);
    EXPECT_EQ(NextTitleX(0, 220, 300), -1);
    EXPECT_EQ(NextTitleX(-299, 220, 300), -300);
    EXPECT_EQ(NextTitleX(-300, 220, 300), 219);
    EXPECT_EQ(StatusDrawX(220), 80);
}

TEST(MainDisplayRules, StatusMessagesClearEachOtherAndFollowPriority) {
    StatusBoard board;
    EXPECT_EQ(board.Current(), nullptr);
    board.SetText(StatusKind::Volume, "소리 크기 - 40%");
    EXPECT_EQ(board.Current(), nullptr) << "a text alone is not shown";
    board.Show(StatusKind::Repeat, "한곡 반복");
    ASSERT_NE(board.Current(), nullptr);
    EXPECT_EQ(*board.Current(), "한곡 반복");
    board.Show(StatusKind::Shuffle, "랜덤 재생");
    EXPECT_FALSE(board.Pending(StatusKind::Repeat)) << "showing one clears the others";
    board.Show(StatusKind::Volume);
    EXPECT_EQ(*board.Current(), "소리 크기 - 40%") << "keeps the text the controller set";
    board.Show(StatusKind::Seek, "위치 이동 - 01:00");
    EXPECT_EQ(*board.Current(), "위치 이동 - 01:00");
    board.ClearAll();
    EXPECT_EQ(board.Current(), nullptr);
}
