// The playlist line reader on arbitrary bytes, in chunks of every size: lines never
// hold a line end, are valid UTF-8 and never exceed the line limit.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "PlaylistText.h"

namespace {

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 64;
    tavora::PlaylistLineReader reader(chunk);
    reader.OpenBytes(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    size_t lines = 0;
    while (auto line = reader.NextLine()) {
        if (line->find_first_of("\r\n") != std::string::npos) std::abort();
        if (!ValidUtf8(*line)) std::abort();
        // A cut line may grow by decoding (CP949 and Latin-1 take up to three bytes).
        if (line->size() > 3 * tavora::kMaxPlaylistLine) std::abort();
        if (++lines > size) std::abort();  // every line consumes at least one byte
    }
    return 0;
}
