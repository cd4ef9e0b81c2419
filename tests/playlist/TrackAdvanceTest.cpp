#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlaylistModel.h"
#include "TrackAdvance.h"

namespace tavora {
namespace {

constexpr AdvanceModes kOff{RepeatMode::Off, false};
constexpr AdvanceModes kOne{RepeatMode::One, false};
constexpr AdvanceModes kAll{RepeatMode::All, false};
constexpr AdvanceModes kShuffleAll{RepeatMode::All, true};
constexpr AdvanceModes kShuffleOff{RepeatMode::Off, true};

void Fill(PlaylistModel& model, const std::vector<std::string>& times) {
    for (size_t i = 0; i < times.size(); ++i)
        model.AddEntry("t" + std::to_string(i), times[i], "/m/" + std::to_string(i) + ".mp3");
}

TEST(TrackAdvance, ListOrderWithoutRepeatStopsAfterTheLastRow) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00", "01:00"});
    model.SetCurrentIndex(1);
    auto next = ChooseNext(model, kOff);
    EXPECT_EQ(next.action, AdvanceAction::Play);
    EXPECT_EQ(next.row, 2);
    EXPECT_EQ(next.path, "/m/2.mp3");
    EXPECT_TRUE(next.fade);
    EXPECT_EQ(ChooseNext(model, kOff).action, AdvanceAction::None);  // Next at the last row: nothing

    const auto end = ChooseAtTrackEnd(model, kOff);
    EXPECT_EQ(end.action, AdvanceAction::Stop);
    EXPECT_TRUE(end.freeStream);
    EXPECT_EQ(model.CurrentIndex(), 3);  // one past the last row
    EXPECT_EQ(ChoosePrevious(model, kOff).row, 2);
}

TEST(TrackAdvance, RepeatAllWrapsBothWays) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00", "01:00"});
    model.SetCurrentIndex(2);
    EXPECT_EQ(ChooseAtTrackEnd(model, kAll).row, 0);
    EXPECT_EQ(ChoosePrevious(model, kAll).row, 2);
    EXPECT_EQ(ChooseNext(model, kAll).row, 0);
}

TEST(TrackAdvance, RepeatOneIgnoresNextAndBackAndReplaysAtTheEnd) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00", "01:00"});
    model.SetCurrentIndex(1);
    EXPECT_EQ(ChooseNext(model, kOne).action, AdvanceAction::None);
    EXPECT_EQ(ChoosePrevious(model, kOne).action, AdvanceAction::None);
    EXPECT_EQ(model.CurrentIndex(), 1);
    const auto end = ChooseAtTrackEnd(model, kOne);
    EXPECT_EQ(end.action, AdvanceAction::Play);
    EXPECT_EQ(end.row, 1);
}

TEST(TrackAdvance, ShuffleWithRepeatAllPlaysTheDrawnOrderOncePerCycle) {
    PlaylistModel model;
    model.SeedShuffle(3);
    Fill(model, std::vector<std::string>(7, "01:00"));
    const std::vector<int> order = model.ShuffleOrder();
    for (int cycle = 0; cycle < 3; ++cycle) {
        std::vector<int> played;
        for (size_t i = 0; i < order.size(); ++i) {
            const auto choice = cycle == 1 ? ChooseNext(model, kShuffleAll) : ChooseAtTrackEnd(model, kShuffleAll);
            ASSERT_EQ(choice.action, AdvanceAction::Play);
            played.push_back(choice.row);
        }
        EXPECT_EQ(played, order) << "cycle " << cycle;
    }
    EXPECT_EQ(model.ShuffleOrder(), order);  // not redrawn at the wrap
}

TEST(TrackAdvance, ShuffleWrapByNextSlidesEvenWithoutCrossFade) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00"});
    ChooseNext(model, kShuffleAll);
    EXPECT_FALSE(ChooseNext(model, kShuffleAll).slideAlways);
    EXPECT_TRUE(ChooseNext(model, kShuffleAll).slideAlways);
}

TEST(TrackAdvance, ShuffleWithoutRepeatStopsWhenTheOrderIsUsedUp) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00", "01:00"});
    std::set<int> played;
    for (int i = 0; i < 3; ++i) played.insert(ChooseAtTrackEnd(model, kShuffleOff).row);
    EXPECT_EQ(played.size(), 3u);
    EXPECT_EQ(ChooseAtTrackEnd(model, kShuffleOff).action, AdvanceAction::Stop);
    EXPECT_EQ(ChooseNext(model, kShuffleOff).action, AdvanceAction::None);
}

TEST(TrackAdvance, UnplayableRowsArePassedOver) {
    PlaylistModel model;
    Fill(model, {"01:00", "---", "---", "01:00"});
    model.SetCurrentIndex(0);
    EXPECT_EQ(ChooseNext(model, kOff).row, 3);
    EXPECT_EQ(ChoosePrevious(model, kOff).row, 0);
    EXPECT_EQ(ChooseAtTrackEnd(model, kOff).row, 3);
}

TEST(TrackAdvance, AListOfOnlyUnplayableRowsEnds) {
    PlaylistModel model;
    Fill(model, {"---", "---", "---"});
    for (auto modes : {kAll, kShuffleAll, kOff}) {
        EXPECT_EQ(ChooseNext(model, modes).action, AdvanceAction::None);
        EXPECT_EQ(ChoosePrevious(model, modes).action, AdvanceAction::None);
        EXPECT_NE(ChooseAtTrackEnd(model, modes).action, AdvanceAction::Play);
    }
}

TEST(TrackAdvance, StreamRowsOpenAsStreamsAtTheEndOfATrack) {
    PlaylistModel model;
    Fill(model, {"01:00", "URL"});
    model.SetCurrentIndex(0);
    EXPECT_TRUE(ChooseAtTrackEnd(model, kOff).asUrlStream);
    model.SetCurrentIndex(0);
    EXPECT_FALSE(ChooseNext(model, kOff).asUrlStream);
}

TEST(TrackAdvance, EmptyListChoosesNothing) {
    PlaylistModel model;
    for (auto modes : {kAll, kShuffleAll, kOff, kOne}) {
        EXPECT_EQ(ChooseNext(model, modes).action, AdvanceAction::None);
        EXPECT_EQ(ChoosePrevious(model, modes).action, AdvanceAction::None);
        const auto end = ChooseAtTrackEnd(model, modes);
        EXPECT_EQ(end.action, AdvanceAction::None);
        EXPECT_TRUE(end.freeStream);
    }
}

TEST(TrackAdvance, FilesThatNeverOpenDoNotLoopForEver) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00", "01:00", "01:00"});
    int attempts = 0;
    const auto choice = AdvanceAndPlay(model, kAll, AdvanceTrigger::Next, [&](const AdvanceChoice&) {
        ++attempts;
        return false;
    });
    EXPECT_EQ(choice.action, AdvanceAction::None);
    EXPECT_LE(attempts, 5);
    EXPECT_GE(attempts, 4);

    // The first row that opens is played.
    model.SetCurrentIndex(0);
    const auto played = AdvanceAndPlay(model, kOff, AdvanceTrigger::Next,
                                       [](const AdvanceChoice& c) { return c.row == 3; });
    EXPECT_EQ(played.action, AdvanceAction::Play);
    EXPECT_EQ(played.row, 3);
}

TEST(TrackAdvance, PickedRowsAreRangeChecked) {
    PlaylistModel model;
    Fill(model, {"01:00", "01:00"});
    model.SetSelectedIndex(5);  // a click below the last row
    EXPECT_EQ(ChooseSelectedRow(model).action, AdvanceAction::None);
    model.SetSelectedIndex(1);
    EXPECT_EQ(ChooseSelectedRow(model).row, 1);
    EXPECT_EQ(model.CurrentIndex(), 1);
    EXPECT_EQ(ChooseCurrentRow(model).path, "/m/1.mp3");
}

TEST(TrackAdvance, OpenedAddressesArePlayedByTheirEnding) {
    EXPECT_EQ(ClassifyOpenedAddress("http://radio.example:8000"), OpenedAddressUse::InternetStream);
    EXPECT_EQ(ClassifyOpenedAddress("http://example.com/list.pls"), OpenedAddressUse::PlsPlaylist);
    EXPECT_EQ(ClassifyOpenedAddress("http://example.com/a.MP3"), OpenedAddressUse::SongFile);
    EXPECT_EQ(ClassifyOpenedAddress("http://example.com/a.Mp3"), OpenedAddressUse::InternetStream);
    EXPECT_EQ(ClassifyOpenedAddress("http://example.com/live"), OpenedAddressUse::InternetStream);
}

TEST(TrackAdvance, PositionAndEndTests) {
    EXPECT_EQ(PositionUnits(500, 1000, 200), 100);
    EXPECT_EQ(PositionUnits(500, UINT64_MAX, 200), 0);  // no length: never ends
    EXPECT_EQ(PositionUnits(500, 0, 200), 0);
    EXPECT_TRUE(IsTrackEnd(199, 200, false));
    EXPECT_FALSE(IsTrackEnd(198, 200, false));
    EXPECT_TRUE(IsTrackEnd(0, 200, true));
    EXPECT_FALSE(IsTrackEnd(5, 200, true));
}

TEST(TrackAdvance, ScrollsOnlyWhenTheRowIsOutOfView) {
    EXPECT_EQ(ScrollTargetForRow(5, 0, 160), -1);   // 10 rows visible
    EXPECT_EQ(ScrollTargetForRow(11, 0, 160), 11);
    EXPECT_EQ(ScrollTargetForRow(3, 4, 160), 3);
    EXPECT_EQ(ScrollTargetForRow(-1, 0, 160), -1);
}

}  // namespace
}  // namespace tavora
