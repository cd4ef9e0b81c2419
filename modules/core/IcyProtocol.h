#pragma once
// The pieces of an internet-radio reply: HTTP/ICY header lines and the metadata blocks
// interleaved with the audio every "icy-metaint" bytes.
//
// Threading: plain values; one object per connection, used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavora::audio {

struct IcyHeaders {
    int status = 0;                       // 200 ..., 0 until a status line arrived
    std::vector<std::string> httpLines;   // every header line, without line ends
    std::vector<std::string> icyLines;    // the "icy-..." lines, as sent
    int64_t contentLength = -1;
    int metaInterval = 0;                 // icy-metaint, 0 = no metadata
    std::string contentType;
    bool complete = false;                // the empty line after the headers arrived
    size_t received = 0;                  // bytes of every line so far, redirects included

    // No real server sends this much before its audio; a hostile one may send header
    // lines for ever.
    static constexpr size_t kMaxBytes = 64 * 1024;

    // Takes one line as the server sent it (CR/LF may still be attached). A new status
    // line (after a redirect) starts the record afresh, but still counts towards the
    // limit, so that status lines cannot reset it.
    void AddLine(std::string_view line);
    // More header bytes than kMaxBytes arrived: the reply is to be refused.
    bool TooLarge() const { return received > kMaxBytes; }
};

// "a\0b\0\0": the lines as a NUL-separated list ending with an empty string.
std::string JoinTagList(const std::vector<std::string>& lines);

// Splits the body of a reply with icy-metaint into audio bytes and metadata texts.
class IcyDemuxer {
public:
    using AudioSink = std::function<void(const uint8_t*, size_t)>;
    using MetaSink = std::function<void(std::string)>;

    // interval 0: everything is audio.
    IcyDemuxer(int interval, AudioSink audio, MetaSink meta)
        : interval_(interval), audio_(std::move(audio)), meta_(std::move(meta)) {}
    void Feed(const uint8_t* data, size_t size);

private:
    enum class State { Audio, Length, Meta };
    int interval_;
    AudioSink audio_;
    MetaSink meta_;
    State state_ = State::Audio;
    size_t audioLeft_ = 0;
    bool started_ = false;
    size_t metaLeft_ = 0;
    std::string block_;
};

}  // namespace tavora::audio
