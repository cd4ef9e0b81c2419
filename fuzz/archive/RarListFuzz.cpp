// UnRar.so's listing: our RAR 1.5-4 and RAR5 header walks (with the Unicode name
// decoding) over damaged archives.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "MemoryFile.h"
#include "Rar4Headers.h"
#include "tavora/archive_api.h"

namespace {

int Check(void* context, const TavoraArchiveEntry* entry) {
    if (!entry->name || (entry->isSafe && (entry->isLink || entry->name[0] == '/'))) __builtin_trap();
    ++*static_cast<size_t*>(context);
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    if (!file.ok()) return 0;
    size_t count = 0;
    const int listed = UnRar_list(file.Path().c_str(), Check, &count);
    if (listed >= 0 && static_cast<size_t>(listed) != count) __builtin_trap();
    // The name decoder on its own, with the input as a name field.
    const std::string name = tavora::unrar::DecodeRar4UnicodeName(
        std::string(reinterpret_cast<const char*>(data), size < 512 ? size : 512));
    if (name.find('\0') != std::string::npos) __builtin_trap();
    return 0;
}
