#pragma once
// The 44-byte record a CD drive shows for each audio track:
// "RIFF" <size> "CDDA" "fmt " <24> version(2) track(2) serial(4) start sector(4)
// length in sectors(4) start MSF(4) length MSF(4).

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tavora::audio {

struct CdaRecord {
    int track = 0;          // 1..99
    uint32_t serial = 0;
    uint32_t startSector = 0;
    uint32_t lengthSectors = 0;
};

std::optional<CdaRecord> ParseCdaRecord(const uint8_t* data, size_t size);

}  // namespace tavora::audio
