// The M3U reader on arbitrary bytes: every entry it yields is a non-empty line that is
// not a comment, resolved against the list's folder, and never holds a NUL.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "PlaylistFiles.h"
#include "PlaylistText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavora::PlaylistLineReader reader;
    reader.OpenBytes(std::string(reinterpret_cast<const char*>(data), size));
    tavora::ForEachM3uEntry(reader, "/nonexistent-list-folder", [](const std::string& path) {
        if (path.empty() || path.find('\0') != std::string::npos) std::abort();
    });
    return 0;
}
