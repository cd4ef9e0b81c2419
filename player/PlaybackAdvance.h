#pragma once
// The track advance carried out on the stream: Next, Back, a double click, "Play List
// Select", and the end of a track seen by the position timer. Which row comes next is
// the playlist's TrackAdvance; the stream steps (fade, free, open, start) are the
// playback's.
//
// Threading: UI thread only.

#include <string>

#include "tavora/bass_api.h"

namespace tavora {

class PlaybackSession;
class PlaylistModel;
class StreamPlayback;
class StreamProbe;
struct PlaybackState;
struct PlaybackViews;

class PlaybackAdvance {
public:
    PlaybackAdvance(StreamPlayback& playback, PlaylistModel& model, PlaybackState& state, const StreamProbe& probe,
                    PlaybackSession& session, const PlaybackViews& views);

    void PlayNext();
    void PlayPrevious();
    void PlayCurrentEntry();
    void PlaySelectedEntry();
    // Every 90 ms while playing: the position display, and the next row at a track's end.
    void OnPositionTimer();
    // The position jumped on purpose (a new stream, a seek): the last tick's is forgotten.
    void ForgetPosition() { lastTickPosition_ = kNoPosition; }

private:
    bool PlayChoiceRow(int row, const std::string& path, bool fade, bool slideAlways);

    StreamPlayback& playback_;
    PlaylistModel& model_;
    PlaybackState& state_;
    const StreamProbe& probe_;
    PlaybackSession& session_;
    const PlaybackViews& views_;
    // The position seen by the last tick of the position timer.
    static constexpr QWORD kNoPosition = ~QWORD{0};
    QWORD lastTickPosition_ = kNoPosition;
};

}  // namespace tavora
