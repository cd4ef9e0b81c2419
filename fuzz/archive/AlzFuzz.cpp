// The ALZ reader: the record walk, then every entry decoded (ZipCrypto, store, deflate,
// the bzip2 variant) into a bounded memory sink. Damage must end in a refusal, never a
// crash, an endless loop or output beyond the declared size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "AlzDecoder.h"
#include "AlzHeaders.h"
#include "AlzVolumes.h"
#include "ByteSink.h"
#include "MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavora;
    MemoryFile file(data, size);
    if (!file.ok()) return 0;
    alz::VolumeSet stream;
    std::string error;
    if (!stream.Open(file.Path(), &error)) return 0;
    uint64_t offset = alz::kFirstRecord;
    alz::AlzEntry entry;
    for (size_t entries = 0; alz::ReadRecord(stream, &offset, &entry, &error) == alz::RecordResult::Entry; ++entries) {
        if (entries > size) __builtin_trap();  // every record takes bytes
        const uint64_t limit = entry.size < (8u << 20) ? entry.size : (8u << 20);
        unpack::MemorySink sink(limit);
        const bool ok = alz::DecodeAlzEntry(stream, entry, "secret", sink, &error);
        if (sink.Written() > limit || (ok && sink.Written() != entry.size)) __builtin_trap();
    }
    return 0;
}
