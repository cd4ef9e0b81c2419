#include "PlaybackRules.h"

#include <algorithm>
#include <cstdio>

namespace tavora {

namespace {
int EffectiveMax(int volumeMax) { return volumeMax > 0 ? volumeMax : kDefaultVolumeMax; }
}  // namespace

int ChannelVolumePercent(int volume, int volumeMax, bool muted) {
    if (muted) return 0;
    const int max = EffectiveMax(volumeMax);
    const int clamped = std::clamp(volume, 0, max);
    return clamped * 100 / max;
}

int SteppedVolume(int volume, int volumeMax, int step) {
    return std::clamp(volume + step, 0, EffectiveMax(volumeMax));
}

std::string VolumeTooltip(int volume, int volumeMax) {
    char text[64];
    std::snprintf(text, sizeof text, "소리 크기 - %d%%", ChannelVolumePercent(volume, volumeMax, false));
    return text;
}

long SeekTargetSeconds(long positionSeconds, int direction, unsigned lengthSeconds) {
    long target = positionSeconds + (direction >= 0 ? kSeekStepSeconds : -kSeekStepSeconds);
    if (lengthSeconds > 0) target = std::min<long>(target, static_cast<long>(lengthSeconds));
    return std::max<long>(target, 0);
}

std::string SeekTooltip(long targetSeconds) {
    if (targetSeconds < 0) targetSeconds = 0;
    char text[64];
    std::snprintf(text, sizeof text, "위치 이동 - %02ld:%02ld", targetSeconds / 60, targetSeconds % 60);
    return text;
}

int BandVolumePosition(int volume, int volumeMax) {
    const int max = EffectiveMax(volumeMax);
    if (volume <= 0) return 0;
    if (volume >= max) return 38;
    return static_cast<int>(volume / (max * (1.0 / 38)));
}

int VolumeFromBandPosition(int position, int volumeMax) {
    const int max = EffectiveMax(volumeMax);
    if (position <= 0) return 0;
    if (position >= 38) return max;
    return std::min(max, static_cast<int>(max * position * (1.0 / 38)));
}

}  // namespace tavora
