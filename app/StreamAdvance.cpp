// Track advance and the internet-stream tick on top of the current stream.
//
// The choice of the next row (repeat and shuffle rules, rows marked "---", the end of
// the list) is the playlist's TrackAdvance; here the choice is carried out: fade the
// old stream, free it, open the row, or stop. A file that does not open is passed over
// in the same direction at most once per row, so a list of broken files ends instead
// of looping. An address row is handed to the address open on a worker and counts as
// taken: the advance ends there.
#include "InternetStream.h"
#include "Messages.h"
#include "PlaybackState.h"
#include "PlayerEvents.h"
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

bool StreamPlayback::PlayChoiceRow(int row, const std::string& path, bool fade, bool slideAlways) {
    if (IsStreamAddress(path)) {
        // One fade: the old stream is gone before the address open begins.
        if (fade || slideAlways) {
            FadeOut(slideAlways);
            FreeStream();
        }
        PlayPath(row, path);
        return true;
    }
    // Open first, so that a failed row does not cost the fades of every retry.
    const HSTREAM h = probe_.OpenDecode(path, false);
    if (!h) return false;
    if (fade || slideAlways) FadeOut(slideAlways);
    FreeStream();
    session_.Adopt(h);
    if (views_.ensureRowVisible) views_.ensureRowVisible(row);
    // A failed wrap has shown its error and stopped: the advance ends there too.
    return StartStream() != StartResult::NotOpened;
}

void StreamPlayback::PlayNext() {
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::Next,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, c.fade, c.slideAlways); });
    if (choice.action == AdvanceAction::Stop) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::PlayPrevious() {
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::Previous,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, c.fade, c.slideAlways); });
    if (choice.action == AdvanceAction::Stop) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::PlayCurrentEntry() {
    const AdvanceChoice choice = ChooseCurrentRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    if (IsStreamAddress(choice.path)) {
        PlayPath(choice.row, choice.path);
        return;
    }
    StopPlayback();
    if (choice.time != kTimeUrl) OpenAndPlay(choice.path);
}

void StreamPlayback::PlaySelectedEntry() {
    const AdvanceChoice choice = ChooseSelectedRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    PlayPath(choice.row, choice.path);
}

void StreamPlayback::OnPositionTimer() {
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

    effects_.RemoveEqualizer();
    FadeOut(false);
    state_.isPlaying = 0;
    FreeStream();
    if (model_.RowCount() == 0) {
        StopPlayback();
        return;
    }
    const AdvanceChoice choice =
        AdvanceAndPlay(model_, ModesOf(state_), AdvanceTrigger::TrackEnd,
                       [this](const AdvanceChoice& c) { return PlayChoiceRow(c.row, c.path, false, false); });
    if (choice.action != AdvanceAction::Play) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::OnStreamHeadersTimer() {
    if (!state_.isUrlStream) {
        host_.killTimer(timer::kStreamHeaders);
        SetTitle(state_.titleText);
        return;
    }
    const InternetStream::StationTexts texts = internet_->ReadStationTexts(state_.titleText);
    if (texts.bitrate) state_.bitrateText = *texts.bitrate;
    const bool newTitle = texts.title != state_.titleText;
    state_.titleText = texts.title;
    if (views_.refreshMain) views_.refreshMain();
    const int row = model_.CurrentIndex();
    model_.UpdateTitle(row, model_.GetEntryField(row, kColumnPath), state_.titleText);
    if (views_.repaintList) views_.repaintList();
    SetTitle(state_.titleText);
    // The station's song is the stream's track.
    if (newTitle) emit events_.trackChanged();
}

}  // namespace tavora
