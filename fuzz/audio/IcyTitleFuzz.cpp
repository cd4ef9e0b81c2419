// Station texts from the network: the stream-title block and the header list, read
// from whatever bytes a server sends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "IcyTitleParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const std::string_view block(text, size);
    if (const auto title = tavora::ParseStreamTitle(block)) {
        if (title->size() > tavora::kStreamTitleLimit || title->size() > size) __builtin_trap();
        if (block.find("StreamTitle='") == std::string_view::npos) __builtin_trap();
    }
    // The header list read with its size as the bound, as when the end marker is missing.
    const tavora::IcyHeaders headers = tavora::ParseIcyHeaders(text, size);
    if (headers.name && headers.name->size() > tavora::kStreamTitleLimit) __builtin_trap();
    if (headers.bitrate && headers.bitrate->size() > tavora::kBitrateLimit) __builtin_trap();
    // The same list with its end marker, as the engine gives it.
    const std::string terminated = std::string(block) + std::string(2, '\0');
    const tavora::IcyHeaders again = tavora::ParseIcyHeaders(terminated.c_str());
    if (block.find('\0') == std::string_view::npos && (again.name != headers.name || again.bitrate != headers.bitrate))
        __builtin_trap();
    const std::string joined = tavora::WithStationName(std::string(block.substr(0, size / 2)), headers.name.value_or(""));
    if (joined.size() > tavora::kStreamTitleLimit && joined.size() != size / 2) __builtin_trap();
    return 0;
}
