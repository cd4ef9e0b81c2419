#include "IcyProtocol.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tavora::audio {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

int64_t ParseNumber(std::string_view text, int64_t fallback) {
    text = Trim(text);
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return fallback;
    return value;
}

}  // namespace

void IcyHeaders::AddLine(std::string_view line) {
    received += line.size();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (StartsWithNoCase(line, "HTTP/") || StartsWithNoCase(line, "ICY ")) {
        const size_t seen = received;
        *this = IcyHeaders {};
        received = seen;
        const size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            const std::string_view rest = line.substr(space + 1);
            status = static_cast<int>(ParseNumber(rest.substr(0, std::min<size_t>(rest.find(' '), rest.size())), 0));
        }
        httpLines.emplace_back(line);
        return;
    }
    if (line.empty()) {
        complete = status != 0;
        return;
    }
    // Lines are kept whole (they are shown to the user as tags), but a hostile server
    // must not make one reply use unbounded memory.
    if (httpLines.size() >= 256 || line.size() > 4096) return;
    httpLines.emplace_back(line);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view name = Trim(line.substr(0, colon));
    const std::string_view value = line.substr(colon + 1);
    if (StartsWithNoCase(name, "icy-")) icyLines.emplace_back(line);
    if (name.size() == 11 && StartsWithNoCase(name, "icy-metaint")) {
        const int64_t interval = ParseNumber(value, 0);
        metaInterval = interval > 0 && interval <= 1 << 20 ? static_cast<int>(interval) : 0;
    } else if (name.size() == 14 && StartsWithNoCase(name, "content-length")) {
        contentLength = ParseNumber(value, -1);
    } else if (name.size() == 12 && StartsWithNoCase(name, "content-type")) {
        contentType = std::string(Trim(value));
    }
}

std::string JoinTagList(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out.append(line);
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

void IcyDemuxer::Feed(const uint8_t* data, size_t size) {
    if (interval_ <= 0) {
        if (size) audio_(data, size);
        return;
    }
    if (!started_) {
        audioLeft_ = static_cast<size_t>(interval_);
        started_ = true;
    }
    while (size > 0) {
        switch (state_) {
        case State::Audio: {
            const size_t n = std::min(size, audioLeft_);
            audio_(data, n);
            data += n;
            size -= n;
            audioLeft_ -= n;
            if (audioLeft_ == 0) state_ = State::Length;
            break;
        }
        case State::Length:
            metaLeft_ = static_cast<size_t>(*data) * 16;
            ++data;
            --size;
            block_.clear();
            if (metaLeft_ == 0) {
                state_ = State::Audio;
                audioLeft_ = static_cast<size_t>(interval_);
            } else {
                state_ = State::Meta;
            }
            break;
        case State::Meta: {
            const size_t n = std::min(size, metaLeft_);
            block_.append(reinterpret_cast<const char*>(data), n);
            data += n;
            size -= n;
            metaLeft_ -= n;
            if (metaLeft_ == 0) {
                // The block is padded with NULs to a multiple of 16 bytes.
                const size_t end = block_.find('\0');
                if (end != std::string::npos) block_.resize(end);
                meta_(std::move(block_));
                block_.clear();
                state_ = State::Audio;
                audioLeft_ = static_cast<size_t>(interval_);
            }
            break;
        }
        }
    }
}

}  // namespace tavora::audio
