#include "PlaylistEntry.h"

namespace tavora {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
    return true;
}

}  // namespace

std::string RowLabel(int row) { return "  " + std::to_string(row + 1) + "."; }

std::string_view ExtensionOf(std::string_view path) {
    const size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool ExtensionIs(std::string_view ext, std::string_view lower) {
    if (ext == lower) return true;
    if (ext.size() != lower.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        const char upper = (lower[i] >= 'a' && lower[i] <= 'z') ? static_cast<char>(lower[i] - 'a' + 'A') : lower[i];
        if (ext[i] != upper) return false;
    }
    return true;
}

bool IsStreamAddress(std::string_view text) {
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "mms://");
}

}  // namespace tavora
