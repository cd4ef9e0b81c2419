#include "CdaRecord.h"

#include <cstring>

namespace tavora::audio {
namespace {
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::optional<CdaRecord> ParseCdaRecord(const uint8_t* data, size_t size) {
    if (!data || size < 44) return std::nullopt;
    if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "CDDAfmt ", 8) != 0) return std::nullopt;
    if (Le32(data + 16) < 24) return std::nullopt;
    CdaRecord record;
    record.track = data[22] | (data[23] << 8);
    record.serial = Le32(data + 24);
    record.startSector = Le32(data + 28);
    record.lengthSectors = Le32(data + 32);
    if (record.track < 1 || record.track > 99) return std::nullopt;
    return record;
}

}  // namespace tavora::audio
