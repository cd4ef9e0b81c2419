#pragma once
// A playback view over a state the test sets, for the window and shell tests: what
// the controller's view would show, without a controller.
#include <string>

#include "PlaybackView.h"

namespace tavora::test {

struct StateView : PlaybackView {
    PlaybackState state;
    double position = 0;
    std::string path;
    const PlaybackState& State() const override { return state; }
    double PositionSeconds() const override { return position; }
    double LengthSeconds() const override { return state.lengthSeconds; }
    bool Spectrum(float*) const override { return false; }
    std::string CurrentPath() const override { return path; }
};

}  // namespace tavora::test
