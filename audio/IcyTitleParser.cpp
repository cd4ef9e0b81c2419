#include "IcyTitleParser.h"

#include <algorithm>
#include <cstring>

namespace tavora {

namespace {
constexpr std::string_view kTitleKey = "StreamTitle='";

std::string_view TrimLeadingBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// Header names are case-insensitive on the wire.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

void TakeHeaderLine(std::string_view line, IcyHeaders& out) {
    if (StartsWithNoCase(line, "icy-name:")) {
        out.name = std::string(TrimLeadingBlanks(line.substr(9)).substr(0, kStreamTitleLimit));
    } else if (StartsWithNoCase(line, "icy-br:")) {
        out.bitrate = std::string(TrimLeadingBlanks(line.substr(7)).substr(0, kBitrateLimit));
    }
}
}  // namespace

std::optional<std::string> ParseStreamTitle(std::string_view metadata) {
    // The engine hands the block as a C string; anything after a NUL is not part of it.
    if (const size_t nul = metadata.find('\0'); nul != std::string_view::npos) metadata = metadata.substr(0, nul);
    const size_t start = metadata.find(kTitleKey);
    if (start == std::string_view::npos) return std::nullopt;
    std::string_view rest = metadata.substr(start + kTitleKey.size());
    // The closing quote is the first "';" that starts the next field, or a quote that
    // ends the block.
    size_t end = rest.find("';");
    if (end == std::string_view::npos) {
        end = rest.size();
        if (!rest.empty() && rest.back() == '\'') --end;
    }
    return std::string(rest.substr(0, std::min(end, kStreamTitleLimit)));
}

IcyHeaders ParseIcyHeaders(const char* list, size_t size) {
    IcyHeaders out;
    if (!list) return out;
    size_t at = 0;
    while (at < size && list[at] != '\0') {
        const void* nul = std::memchr(list + at, '\0', size - at);
        const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - (list + at)) : size - at;
        TakeHeaderLine(std::string_view(list + at, length), out);
        at += length + 1;
    }
    return out;
}

IcyHeaders ParseIcyHeaders(const char* list) {
    IcyHeaders out;
    if (!list) return out;
    for (const char* line = list; *line; line += std::strlen(line) + 1) TakeHeaderLine(line, out);
    return out;
}

std::string WithStationName(const std::string& title, const std::string& name) {
    if (name.empty() || title.find(name) != std::string::npos) return title;
    if (title.size() + name.size() > kStreamTitleLimit) return title;
    return title + name;
}

}  // namespace tavora
