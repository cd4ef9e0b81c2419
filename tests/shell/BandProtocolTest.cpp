// The band's words both ways, and what the player packs into them from its state.
#include <gtest/gtest.h>

#include "BandHandOff.h"
#include "PlaybackState.h"
#include "band/BandProtocol.h"

using namespace tavora;
using namespace tavora::band;

TEST(BandProtocolTest, PlayStateCarriesPlayingAndMuteSeparately) {
    EXPECT_EQ(PlayState(false, false), 0);
    EXPECT_EQ(PlayState(false, true), 1);
    EXPECT_EQ(PlayState(true, false), 2);
    EXPECT_EQ(PlayState(true, true), 3);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(PlayState(PlayStateIsPlaying(s), PlayStateIsMuted(s)), s);
}

TEST(BandProtocolTest, StateWordRoundTripsEveryVolumeAndPlayState) {
    for (int volume = 0; volume <= kVolumePositions; ++volume)
        for (int play = 0; play < 4; ++play) {
            const uint32_t word = StateWord(volume, play);
            EXPECT_EQ(word, static_cast<uint32_t>(volume) << 16 | static_cast<uint32_t>(play));
            const BandState decoded = DecodeStateWord(word);
            EXPECT_EQ(decoded.volumePosition, volume);
            EXPECT_EQ(decoded.playState, play);
        }
}

TEST(BandProtocolTest, DamagedWordsStayInRange) {
    EXPECT_EQ(StateWord(99, 2) >> 16, 38u);
    EXPECT_EQ(StateWord(-5, 2) >> 16, 0u);
    EXPECT_EQ(DecodeStateWord(0xFFFF0003).volumePosition, 38);
    EXPECT_EQ(DecodeModesWord(7u << 16 | 1).repeat, RepeatMode::Off);
    EXPECT_TRUE(DecodeModesWord(7u << 16 | 1).shuffle);
}

TEST(BandProtocolTest, ModesWordRoundTripsRepeatAndShuffle) {
    for (RepeatMode repeat : {RepeatMode::Off, RepeatMode::One, RepeatMode::All})
        for (bool shuffle : {false, true}) {
            const uint32_t word = ModesWord(repeat, shuffle);
            EXPECT_EQ(word, static_cast<uint32_t>(repeat) << 16 | (shuffle ? 1u : 0u));
            EXPECT_EQ(DecodeModesWord(word).repeat, repeat);
            EXPECT_EQ(DecodeModesWord(word).shuffle, shuffle);
        }
}

TEST(BandProtocolTest, OnlyTheBandsSixRequestsCountAsRequests) {
    for (unsigned m : {kShow, kPlay, kBack, kNext, kVolume, kMute}) EXPECT_TRUE(IsBandRequest(m)) << m;
    for (unsigned m : {kState, kClose, kStopped, kModes, kShow - 1, kMute + 1}) EXPECT_FALSE(IsBandRequest(m)) << m;
}

TEST(BandProtocolTest, HandOverWordsComeFromThePlaybackState) {
    PlaybackState s;
    s.volumeMax = 50;
    s.volume = 25;
    s.isPlaying = 1;
    s.mute = 1;
    EXPECT_EQ(BandStateWord(s), 19u << 16 | 3u);
    s.volume = 50;
    s.isPlaying = 0;
    s.mute = 0;
    EXPECT_EQ(BandStateWord(s), 38u << 16);
    s.repeatOff = 0;
    s.repeatAll = 1;
    s.shuffle = 1;
    EXPECT_EQ(BandModesWord(s), 2u << 16 | 1u);
    s.repeatAll = 0;
    s.repeatOne = 1;
    s.shuffle = 0;
    EXPECT_EQ(BandModesWord(s), 1u << 16);
}
