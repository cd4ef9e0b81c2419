#pragma once
// The arithmetic of the player's volume and seek controls, kept apart from the
// engine so the rules are tested on their own.
//
// The volume is stored in volume-slider units (0..volumeMax, the slider's length in
// pixels, which the skin decides). What the channel gets is the percentage of the
// slider's travel, everywhere: at stream start, resume, un-mute, the volume keys and
// the slider itself, so a level set on one skin sounds the same on every skin.

#include <string>

namespace tavora {

// A slider length to use while no skin has given one: the length at which the player's
// older "twice the slider position" rule and the percentage agree.
inline constexpr int kDefaultVolumeMax = 50;
inline constexpr int kVolumeKeyStep = 3;
inline constexpr int kSeekStepSeconds = 10;

// The channel volume in percent for a slider position; 0 while muted.
int ChannelVolumePercent(int volume, int volumeMax, bool muted);

// The slider position after a volume key (+3 or -3 units), clamped to 0..volumeMax.
int SteppedVolume(int volume, int volumeMax, int step);

// "소리 크기 - %d%%" for a slider position.
std::string VolumeTooltip(int volume, int volumeMax);

// The target of a 10-second seek from `positionSeconds` (whole seconds), kept within
// 0..lengthSeconds (lengthSeconds 0 = unknown: no upper bound).
long SeekTargetSeconds(long positionSeconds, int direction, unsigned lengthSeconds);

// "위치 이동 - %02d:%02d" for a target in seconds.
std::string SeekTooltip(long targetSeconds);

// The taskbar band's volume position 0..38 for a slider position, and back.
int BandVolumePosition(int volume, int volumeMax);
int VolumeFromBandPosition(int position, int volumeMax);

}  // namespace tavora
