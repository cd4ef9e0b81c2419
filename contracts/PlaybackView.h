#pragma once
// What the windows may read of the playback: the state, the engine's position and
// length of the current stream, its spectrum and the path it plays. Read-only: every
// change goes through the command sink.
//
// Threading: UI thread.

#include <string>

#include "PlaybackState.h"

namespace tavora {

class PlaybackView {
public:
    static constexpr int kSpectrumBins = 256;  // magnitudes of a 512-sample FFT

    virtual ~PlaybackView() = default;
    virtual const PlaybackState& State() const = 0;
    // Position and length of the current stream in seconds (0 when none).
    virtual double PositionSeconds() const = 0;
    virtual double LengthSeconds() const = 0;
    // Fills `bins` (kSpectrumBins values) with the stream's FFT magnitudes; false when
    // no stream gives data.
    virtual bool Spectrum(float* bins) const = 0;
    // The path of the current row ("" when none).
    virtual std::string CurrentPath() const = 0;
};

}  // namespace tavora
