#include "NetworkDeadline.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace tavora::audio {

std::chrono::milliseconds NetworkOpenBudget() {
    constexpr std::chrono::milliseconds kDefault(15000);
    const char* text = std::getenv("TAVORA_NET_OPEN_DEADLINE_MS");
    if (!text || !*text) return kDefault;
    long long ms = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, ms);
    if (ec != std::errc() || stop != end || ms < 100 || ms > 600000) return kDefault;
    return std::chrono::milliseconds(ms);
}

}  // namespace tavora::audio
