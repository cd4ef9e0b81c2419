// ICY replies: header lines as a server would send them, then the body with metadata
// blocks every icy-metaint bytes. The input is "headers\r\n\r\nbody"; the header record
// must count every byte towards its size limit, and the demuxer must hand out exactly
// the audio bytes and never read past its input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "IcyProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavora::audio;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find("\r\n\r\n");
    const std::string_view head = text.substr(0, split);
    const std::string_view body = split == std::string_view::npos ? std::string_view() : text.substr(split + 4);

    IcyHeaders headers;
    size_t start = 0;
    while (start <= head.size()) {
        const size_t end = head.find('\n', start);
        headers.AddLine(head.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start + 1));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    headers.AddLine("\r\n");
    // Every byte counts towards the size limit, status lines (which start afresh) included.
    if (headers.received != head.size() + 2 || headers.TooLarge() != (headers.received > IcyHeaders::kMaxBytes))
        __builtin_trap();
    const std::string tags = JoinTagList(headers.icyLines);
    if (tags.empty() || tags.back() != '\0') __builtin_trap();

    // Small intervals exercise the block boundaries; the server's own value is used too.
    for (int interval : {headers.metaInterval, 1 + static_cast<int>(size % 17)}) {
        size_t audio = 0;
        IcyDemuxer demuxer(interval, [&](const uint8_t*, size_t n) { audio += n; }, [](std::string meta) {
            if (meta.size() > 255 * 16) __builtin_trap();
        });
        const auto* p = reinterpret_cast<const uint8_t*>(body.data());
        for (size_t at = 0, step = 1; at < body.size(); at += step, step = step * 3 % 97 + 1)
            demuxer.Feed(p + at, std::min(step, body.size() - at));
        if (audio > body.size()) __builtin_trap();
    }
    return 0;
}
