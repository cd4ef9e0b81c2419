// The PLS reader on arbitrary bytes: values come only from "FileN=" lines.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "PlaylistFiles.h"
#include "PlaylistText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tavora::PlaylistLineReader reader;
    reader.OpenBytes(bytes);
    const auto values = tavora::ReadPlsValues(reader);
    if (values.size() > size / 7 + 1) std::abort();  // "File1=x" is the shortest entry
    for (const auto& v : values)
        if (v.empty()) std::abort();
    return 0;
}
