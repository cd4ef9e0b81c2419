// The track records a CD drive shows (RIFF "CDDA").
#include <cstddef>
#include <cstdint>

#include "CdaRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto record = tavora::audio::ParseCdaRecord(data, size);
    if (record && (record->track < 1 || record->track > 99)) __builtin_trap();
    return 0;
}
