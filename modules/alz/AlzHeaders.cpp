#include "AlzHeaders.h"

#include <cstring>

#include "EntryName.h"

namespace tavora::alz {

namespace {

uint64_t Le(const unsigned char* p, unsigned n) {
    uint64_t v = 0;
    for (unsigned i = n; i > 0; --i) v = (v << 8) | p[i - 1];
    return v;
}

}  // namespace

RecordResult ReadRecord(VolumeSet& stream, uint64_t* offset, AlzEntry* entry, std::string* error) {
    uint64_t at = *offset;
    unsigned char sig[4];
    for (;;) {
        const size_t got = stream.Read(at, sig, 4);
        if (got == 0 && at == stream.Size()) return RecordResult::End;
        if (got != 4) {
            *error = "the archive ends inside a record";
            return RecordResult::Damaged;
        }
        if (std::memcmp(sig, "CLZ\x01", 4) != 0) break;
        // The trailer start; its end record follows, but an archive ending here is complete.
        at += 12;
        if (at >= stream.Size()) return RecordResult::End;
    }
    *offset = at;
    at += 4;
    if (std::memcmp(sig, "CLZ\x02", 4) == 0 || std::memcmp(sig, "ELZ\x01", 4) == 0) return RecordResult::End;
    if (std::memcmp(sig, "BLZ\x01", 4) != 0) {
        *error = "unknown record at offset " + std::to_string(*offset);
        return RecordResult::Damaged;
    }
    unsigned char fixed[9];
    if (stream.Read(at, fixed, 9) != 9) {
        *error = "the archive ends inside an entry header";
        return RecordResult::Damaged;
    }
    at += 9;
    *entry = AlzEntry{};
    entry->headerOffset = *offset;
    const unsigned nameLength = static_cast<unsigned>(Le(fixed, 2));
    entry->attributes = fixed[2];
    entry->flags = fixed[7];
    const unsigned width = entry->flags >> 4;
    if (nameLength == 0 || (width != 0 && width != 1 && width != 2 && width != 4 && width != 8)) {
        *error = "damaged entry header at offset " + std::to_string(*offset);
        return RecordResult::Damaged;
    }
    if (width != 0) {
        unsigned char sizes[6 + 16];
        if (stream.Read(at, sizes, 6 + 2 * width) != 6 + 2 * width) {
            *error = "the archive ends inside an entry header";
            return RecordResult::Damaged;
        }
        at += 6 + 2 * width;
        entry->method = sizes[0];
        entry->crc = static_cast<uint32_t>(Le(sizes + 2, 4));
        entry->packedSize = Le(sizes + 6, width);
        entry->size = Le(sizes + 6 + width, width);
    }
    std::string raw(nameLength, '\0');
    if (stream.Read(at, raw.data(), nameLength) != nameLength) {
        *error = "the archive ends inside an entry name";
        return RecordResult::Damaged;
    }
    at += nameLength;
    entry->name = unpack::WithSlashes(unpack::DecodeLegacyName(raw));
    if (entry->IsEncrypted()) {
        if (stream.Read(at, entry->cryptHeader, 12) != 12) {
            *error = "the archive ends inside an entry header";
            return RecordResult::Damaged;
        }
        at += 12;
    }
    entry->dataOffset = at;
    if (entry->packedSize > stream.Size() - at) {
        *error = "the data of " + entry->name + " is cut off";
        return RecordResult::Damaged;
    }
    *offset = at + entry->packedSize;
    return RecordResult::Entry;
}

}  // namespace tavora::alz
