#include "PlaylistText.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

namespace tavora {
namespace {

bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F;
        else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F;
        else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07;
        else return false;
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::optional<std::string> Cp949(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::string Latin1(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::string PlaylistTextToUtf8(std::string_view bytes) {
    if (IsUtf8(bytes)) return std::string(bytes);
    if (auto text = Cp949(bytes)) return *text;
    return Latin1(bytes);
}

PlaylistLineReader::PlaylistLineReader(size_t chunkSize) : chunkSize_(std::max<size_t>(chunkSize, 1)) {}

PlaylistLineReader::~PlaylistLineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool PlaylistLineReader::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    fromMemory_ = false;
    eof_ = fd_ < 0;
    return fd_ >= 0;
}

void PlaylistLineReader::OpenBytes(std::string bytes) {
    memory_ = std::move(bytes);
    memoryPos_ = 0;
    fromMemory_ = true;
    eof_ = false;
}

bool PlaylistLineReader::FillChunk() {
    if (eof_) return false;
    chunk_.resize(chunkSize_);
    pos_ = 0;
    size_t got = 0;
    if (fromMemory_) {
        got = std::min(chunkSize_, memory_.size() - memoryPos_);
        std::copy_n(memory_.data() + memoryPos_, got, chunk_.data());
        memoryPos_ += got;
    } else {
        while (got < chunkSize_) {
            const ssize_t n = ::read(fd_, chunk_.data() + got, chunkSize_ - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // end of file, or a read error: what was read still counts
            got += static_cast<size_t>(n);
        }
    }
    chunk_.resize(got);
    if (got < chunkSize_) eof_ = true;
    return got > 0;
}

std::string PlaylistLineReader::Finish(std::string& line) {
    std::string_view text = line;
    if (firstLine_ && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    firstLine_ = false;
    return PlaylistTextToUtf8(text);
}

std::optional<std::string> PlaylistLineReader::NextLine() {
    std::string line;
    bool inLine = false;
    for (;;) {
        if (pos_ >= chunk_.size() && !FillChunk()) break;
        const char c = chunk_[pos_++];
        if (swallowLineEnd_) {
            swallowLineEnd_ = false;
            if (c == '\r' || c == '\n') continue;
        }
        if (c == '\r' || c == '\n') {
            swallowLineEnd_ = true;
            return Finish(line);
        }
        inLine = true;
        if (line.size() < kMaxPlaylistLine) line.push_back(c);
    }
    if (!inLine) return std::nullopt;
    return Finish(line);
}

}  // namespace tavora
