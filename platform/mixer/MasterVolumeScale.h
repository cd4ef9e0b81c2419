#pragma once
// The master volume as the player's windows handle it: an unsigned 0 .. kMasterVolumeMax,
// where the maximum is the sound server's 100 % (PA_VOLUME_NORM). A sink turned up above
// 100 % by another program reads as the maximum. The two conversions round so that every
// master value written comes back unchanged when it is read.

#include <pulse/volume.h>

#include <cstdint>

namespace tavora::platform {

inline constexpr unsigned kMasterVolumeMax = 65535;

inline unsigned MasterFromPulse(pa_volume_t volume) {
    if (volume >= PA_VOLUME_NORM) return kMasterVolumeMax;
    return static_cast<unsigned>((uint64_t{volume} * kMasterVolumeMax + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

inline pa_volume_t PulseFromMaster(unsigned master) {
    if (master >= kMasterVolumeMax) return PA_VOLUME_NORM;
    return static_cast<pa_volume_t>((uint64_t{master} * PA_VOLUME_NORM + kMasterVolumeMax / 2) / kMasterVolumeMax);
}

}  // namespace tavora::platform
