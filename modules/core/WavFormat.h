#pragma once
// RIFF/WAVE header parsing: finds the "fmt " and "data" chunks and checks that the
// sample format is one the WAV decoder handles (PCM 8/16/24/32-bit, float 32/64-bit,
// plain or WAVE_FORMAT_EXTENSIBLE, 1 to 8 channels).

#include <cstdint>
#include <optional>

#include "ByteSource.h"

namespace tavora::audio {

struct WavLayout {
    bool isFloat = false;
    int channels = 0;
    int rate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;       // bytes per frame
    int64_t dataOffset = 0;   // first byte of the samples
    int64_t dataBytes = 0;    // whole frames only, clamped to what the input holds
};

// Reads from the start of input. nullopt when the data is not a usable WAVE file.
std::optional<WavLayout> ParseWavHeader(ByteSource& input);

}  // namespace tavora::audio
