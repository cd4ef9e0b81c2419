// The controller playing real files through the engine modules (null output, paced in
// real time): the Play command's cases, passing over files that do not open, the end
// of a track under the repeat modes, seeking and muting.
#include <QSignalSpy>

#include <algorithm>
#include <thread>

#include "AudioLibrary.h"
#include "Commands.h"
#include "PlayerEvents.h"
#include "PlaybackTestSupport.h"
#include "StreamPlayback.h"

using namespace tavora;

TEST_F(PlaybackControllerTest, PlayWithAnEmptyListOpensTheFileDialog) {
    int dialogs = 0;
    dlg()->playback().views().openFileDialog = [&] { ++dialogs; };
    dlg()->SendCommand(cmd::Play);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, PlayPausesAndResumesTheSameStream) {
    Add(Tone("a.wav", 5));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    const uint32_t handle = state().channelHandle;
    ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playback().PositionSeconds() >= 0.5; }));
    dlg()->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPaused);
    EXPECT_FALSE(state().isPlaying);
    // The pause counts at once; the channel stops when its short fade is over.
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !dlg()->playback().session().IsPlayingNow(); }));
    const double pausedAt = dlg()->playback().PositionSeconds();
    // A paused stream must not move on while the output plays 0.4 s of another channel.
    const BassFunctions& bass = dlg()->audio().Bass();
    const HSTREAM witness = bass.BASS_StreamCreateFile(FALSE, Tone("witness.wav", 5).c_str(), 0, 0, 0);
    ASSERT_TRUE(bass.BASS_ChannelPlay(witness, FALSE));
    ASSERT_TRUE(WaitUntilWithEvents(
        [&] { return bass.BASS_ChannelBytes2Seconds(witness, bass.BASS_ChannelGetPosition(witness)) >= 0.4; }));
    bass.BASS_StreamFree(witness);
    EXPECT_NEAR(dlg()->playback().PositionSeconds(), pausedAt, 0.05);
    dlg()->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, handle);
    EXPECT_GT(pausedAt, 0.4);
}

TEST_F(PlaybackControllerTest, RowsThatDoNotOpenArePassedOver) {
    Add((reg_.dir() / "missing.mp3").string());
    Add((reg_.dir() / "not audio.ogg").string());
    std::filesystem::path junk = reg_.dir() / "not audio.ogg";
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("this is not a song", f);
    std::fclose(f);
    Add(Tone("c.wav", 3));
    dlg()->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), 2);
    EXPECT_EQ(dlg()->playlist().MarkedRow(), 2);
    EXPECT_EQ(dlg()->windowTitle(), QStringLiteral("c.wav"));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(PlaybackControllerTest, EndOfTheLastTrackStopsWithoutRepeatAndWrapsWithRepeatAll) {
    Add(Tone("one.wav", 0.6));
    Add(Tone("two.wav", 0.6));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playlist().CurrentIndex() == 1; }));
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !state().isPlaying; }));
    EXPECT_EQ(state().channelHandle, 0u);

    dlg()->SendCommand(cmd::SetRepeatMode, CommandData::Value(2));
    dlg()->playlist().SetSelectedIndex(1);
    dlg()->SendCommand(cmd::PlayListSelect);
    ASSERT_TRUE(state().isPlaying);
    ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playlist().CurrentIndex() == 0; }));
    EXPECT_TRUE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, RepeatOnePlaysTheSameRowAgainAndIgnoresNext) {
    Add(Tone("one.wav", 0.6));
    Add(Tone("two.wav", 3));
    dlg()->SendCommand(cmd::SetRepeatMode, CommandData::Value(1));
    dlg()->SendCommand(cmd::Play);
    dlg()->SendCommand(cmd::Next);
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), 0);
    // Past the end of the first row: its position nears the end, then starts again.
    double furthest = 0;
    ASSERT_TRUE(WaitUntilWithEvents([&] {
        const double at = dlg()->playback().PositionSeconds();
        furthest = std::max(furthest, at);
        return furthest > 0.4 && at < furthest - 0.2;
    })) << "the row did not start again";
    EXPECT_EQ(dlg()->playlist().CurrentIndex(), 0);
    EXPECT_TRUE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, SeeksStayWithinTheTrackAndOnlyWhilePlaying) {
    dlg()->SendCommand(cmd::TenSecNext);  // nothing plays: nothing happens
    Add(Tone("long.wav", 25));
    std::string tooltip;
    dlg()->playback().views().positionTooltip = [&](const std::string& t) { tooltip = t; };
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playback().PositionSeconds() > 0.1; }));
    dlg()->SendCommand(cmd::TenSecBack);
    EXPECT_EQ(tooltip, "위치 이동 - 00:00");
    EXPECT_LT(dlg()->playback().PositionSeconds(), 0.5);
    dlg()->SendCommand(cmd::TenSecNext);
    dlg()->SendCommand(cmd::TenSecNext);
    EXPECT_EQ(tooltip, "위치 이동 - 00:20");
    EXPECT_NEAR(dlg()->playback().PositionSeconds(), 20.0, 0.3);
    dlg()->SendCommand(cmd::TenSecNext);
    EXPECT_EQ(tooltip, "위치 이동 - 00:25");
}

TEST_F(PlaybackControllerTest, MuteSilencesEveryNewTrackUntilUnmuted) {
    Add(Tone("a.wav", 3));
    dlg()->playback().SetMute(true);
    dlg()->SendCommand(cmd::Play);
    const BassFunctions& b = dlg()->audio().Bass();
    DWORD volume = 99;
    ASSERT_TRUE(b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr));
    EXPECT_EQ(volume, 0u);
    dlg()->SendCommand(cmd::VolumeUp);  // the level changes, the silence stays
    b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 0u);
    dlg()->playback().SetMute(false);
    b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 56u);  // 28 of a 50-unit slider
}

TEST_F(PlaybackControllerTest, TheTitleFollowsThePlayingRowWhenItIsRetitled) {
    const std::string path = Tone("a.wav", 30);
    Add(path);
    Add(Tone("b.wav", 3));
    QSignalSpy titles(&dlg()->events(), &PlayerEvents::titleChanged);
    dlg()->SendCommand(cmd::Play);
    ASSERT_EQ(state().isPlaying, 1);
    EXPECT_EQ(state().titleText, "a.wav");
    // The title pass re-titles rows from their tags on a worker thread.
    std::thread([&] { dlg()->playlist().UpdateEntry(0, path, "태그 제목", "00:30"); }).join();
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return state().titleText == "태그 제목"; }));
    EXPECT_EQ(dlg()->windowTitle(), QStringLiteral("태그 제목"));
    EXPECT_EQ(titles.last().at(0).toString(), QStringLiteral("태그 제목"));
    // Another row's new title leaves it alone.
    std::thread([&] { dlg()->playlist().UpdateEntry(1, dlg()->playlist().GetEntryField(1, kColumnPath), "B", ""); }).join();
    ASSERT_TRUE(test::DeliverPostedEvents());  // the other row's update has been seen
    EXPECT_EQ(state().titleText, "태그 제목");
}
