#include "BandProtocol.h"

#include <algorithm>

namespace tavora::band {

int PlayState(bool playing, bool muted) { return (playing ? 2 : 0) | (muted ? 1 : 0); }
bool PlayStateIsPlaying(int playState) { return (playState & 2) != 0; }
bool PlayStateIsMuted(int playState) { return (playState & 1) != 0; }

uint32_t StateWord(int volumePosition, int playState) {
    const auto volume = static_cast<uint32_t>(std::clamp(volumePosition, 0, kVolumePositions));
    return volume << 16 | static_cast<uint32_t>(playState & 3);
}

BandState DecodeStateWord(uint32_t word) {
    return {std::min(static_cast<int>(word >> 16), kVolumePositions), static_cast<int>(word & 3)};
}

uint32_t ModesWord(RepeatMode repeat, bool shuffle) {
    return static_cast<uint32_t>(repeat) << 16 | (shuffle ? 1u : 0u);
}

BandModes DecodeModesWord(uint32_t word) {
    const uint32_t repeat = word >> 16;
    return {repeat <= 2 ? static_cast<RepeatMode>(repeat) : RepeatMode::Off, (word & 0xFFFF) != 0};
}

bool IsBandRequest(unsigned message) { return message >= kShow && message <= kMute; }

}  // namespace tavora::band
