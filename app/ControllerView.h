#pragma once
// The controller's PlaybackView: the state it owns, the stream's position and length
// from the playback, the spectrum from the engine, the current row's path from the
// playlist.
//
// Threading: UI thread.

#include "PlaybackView.h"

namespace tavora {

class AudioLibrary;
class PlaylistModel;
class StreamPlayback;

class ControllerView : public PlaybackView {
public:
    ControllerView(const PlaybackState& state, const StreamPlayback& playback, const AudioLibrary& audio,
                   const PlaylistModel& model)
        : state_(state), playback_(playback), audio_(audio), model_(model) {}

    const PlaybackState& State() const override { return state_; }
    double PositionSeconds() const override;
    double LengthSeconds() const override;
    bool Spectrum(float* bins) const override;
    std::string CurrentPath() const override;

private:
    const PlaybackState& state_;
    const StreamPlayback& playback_;
    const AudioLibrary& audio_;
    const PlaylistModel& model_;
};

}  // namespace tavora
