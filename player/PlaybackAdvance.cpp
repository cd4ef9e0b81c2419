// The choice of the next row (repeat and shuffle rules, rows marked "---", the end of
// the list) is the playlist's TrackAdvance; here the choice is carried out: fade the
// old stream, free it, open the row, or stop. A file that does not open is passed over
// in the same direction at most once per row, so a list of broken files ends instead
// of looping. An address row is handed to the address open on a worker and counts as
// taken: the advance ends there.
#include "PlaybackAdvance.h"

#include "PlaybackSession.h"
#include "PlaybackState.h"
#include "PlaybackViews.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "StreamProbe.h"
#include "TrackAdvance.h"

namespace tavora {

namespace {
constexpr int kFallbackPositionMax = 1000;

AdvanceModes ModesOf(const PlaybackState& s) { return AdvanceModesFromFlags(s.repeatOne, s.repeatAll, s.shuffle); }
}  // namespace

PlaybackAdvance::PlaybackAdvance(StreamPlayback& playback, PlaylistModel& model, PlaybackState& state,
                                 const StreamProbe& probe, PlaybackSession& session, const PlaybackViews& views)
    : playback_(playback), model_(model), state_(state), probe_(probe), session_(session), views_(views) {}

bool PlaybackAdvance::PlayChoiceRow(int row, const std::string& path, bool fade, bool slideAlways) {
    if (IsStreamAddress(path)) {
        // One fade: the old stream is gone before the address open begins.
        if (fade || slideAlways) {
            playback_.FadeOut(slideAlways);
            playback_.FreeStream();
        }
        playback_.PlayPath(row, path);
        return true;
    }
    // Open first, so that a failed row does not cost the fades of every retry.
    const HSTREAM h = probe_.OpenDecode(path, false);
    if (!h) return false;
    if (fade || slideAlways) playback_.FadeOut(slideAlways);
    playback_.FreeStream();
    // A failed wrap has shown its error and stopped: the advance ends there too.
    return playback_.StartOpened(h, row);
}

void PlaybackAdvance::PlayNext() {
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::Next,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, c.fade, c.slideAlways); });
    if (choice.action == AdvanceAction::Stop) playback_.StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void PlaybackAdvance::PlayPrevious() {
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::Previous,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, c.fade, c.slideAlways); });
    if (choice.action == AdvanceAction::Stop) playback_.StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void PlaybackAdvance::PlayCurrentEntry() {
    const AdvanceChoice choice = ChooseCurrentRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    if (IsStreamAddress(choice.path)) {
        playback_.PlayPath(choice.row, choice.path);
        return;
    }
    playback_.StopPlayback();
    if (choice.time != kTimeUrl) playback_.OpenAndPlay(choice.path);
}

void PlaybackAdvance::PlaySelectedEntry() {
    const AdvanceChoice choice = ChooseSelectedRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    playback_.PlayPath(choice.row, choice.path);
}

void PlaybackAdvance::OnPositionTimer() {
    if (!state_.isPlaying || state_.isSeeking || !session_.HasStream()) return;
    const int max = state_.positionMax > 0 ? state_.positionMax : kFallbackPositionMax;
    const QWORD pos = session_.PositionBytes();
    const QWORD len = session_.LengthBytes();
    const int units = PositionUnits(pos, len, max);
    state_.positionUnits = state_.positionMax > 0 ? units : 0;
    if (views_.refreshMain) views_.refreshMain();
    // Streams without a length (radio) never end by position.
    if (state_.isUrlStream || len == 0 || len == static_cast<QWORD>(-1)) return;
    // The streams loop, so the end is seen by position: the last slider unit reached,
    // or, for a track so short that its last unit passes between two ticks, the
    // position having wrapped round since the last tick.
    const bool reverse = state_.reverseMode != 0;
    const bool wrapped = lastTickPosition_ != kNoPosition &&
                         (reverse ? pos > lastTickPosition_ : pos < lastTickPosition_);
    lastTickPosition_ = pos;
    if (!IsTrackEnd(units, max, reverse) && !wrapped) return;
    lastTickPosition_ = kNoPosition;

    playback_.effects().RemoveEqualizer();
    playback_.FadeOut(false);
    state_.isPlaying = 0;
    playback_.FreeStream();
    if (model_.RowCount() == 0) {
        playback_.StopPlayback();
        return;
    }
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::TrackEnd,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, false, false); });
    if (choice.action != AdvanceAction::Play) playback_.StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}
}  // namespace tavora
