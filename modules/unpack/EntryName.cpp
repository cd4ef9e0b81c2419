#include "EntryName.h"

#include <iconv.h>
#include <limits.h>

#include <cerrno>
#include <cstring>

namespace tavora::unpack {

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;
        unsigned cp = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

std::string DecodeLegacyName(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
    std::string out;
    out.resize(bytes.size() * 3 + 8);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* o = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen: 3 bytes out per byte in is enough
        // An undecodable byte (or a lead byte cut off at the end): mark it and go on.
        if (outLeft < 3) break;
        memcpy(o, "\xEF\xBF\xBD", 3);
        o += 3, outLeft -= 3;
        ++in, --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string WithSlashes(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::optional<std::vector<std::string>> SafeComponents(std::string_view raw) {
    const std::string name = WithSlashes(raw);
    if (name.empty() || name.front() == '/') return std::nullopt;
    if (name.size() >= 2 && name[1] == ':') return std::nullopt;  // a drive letter
    if (name.find('\0') != std::string::npos) return std::nullopt;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        if (part.size() > NAME_MAX) return std::nullopt;
        parts.push_back(std::move(part));
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

}  // namespace tavora::unpack
