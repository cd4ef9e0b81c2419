// UnZip.so's listing (libarchive, our name decoding and safety judgement) over damaged
// archives: every entry described, no crash, no endless listing.
#include <cstddef>
#include <cstdint>

#include "MemoryFile.h"
#include "tavora/archive_api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    if (!file.ok()) return 0;
    TavoraZip* zip = OpenZip(file.Path().c_str(), "/nonexistent");
    if (!zip) return 0;
    size_t count = 0;
    for (int more = GotoFirstFile(zip); more; more = GotoNextFile(zip)) {
        TavoraArchiveEntry info{};
        if (!GetFileInfo(zip, &info) || !info.name) __builtin_trap();
        if (info.isSafe && (info.isLink || info.name[0] == '/')) __builtin_trap();
        if (++count > size) __builtin_trap();
    }
    CloseZip(zip);
    return 0;
}
