#include "PlaylistText.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "TextDecoding.h"

namespace tavora {

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
    return LegacyTextToUtf8(text);
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
