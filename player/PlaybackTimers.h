#pragma once
// The timers the playback asks its owner to run (PlaybackHost::setTimer), by number.

namespace tavora::timer {

inline constexpr int kPosition = 3;        // position display and end of track, 90 ms
inline constexpr int kMasterVolume = 4;    // system master volume read-back, 90 ms
inline constexpr int kStreamHeaders = 5;   // internet-stream headers and title, 1000 ms
inline constexpr int kPositionPeriodMs = 90;
inline constexpr int kMasterVolumePeriodMs = 90;
inline constexpr int kStreamHeadersPeriodMs = 1000;

}  // namespace tavora::timer
