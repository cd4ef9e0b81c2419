#pragma once
// Address streams: "http://" through libcurl (live ICY radio with stream titles, or
// plain files) and "mms://" through FFmpeg. A download thread fills a bounded byte
// buffer, a decode thread fills a bounded sample buffer, and the playback thread only
// takes what has arrived (an empty buffer makes the channel stall, not block).

#include <memory>
#include <string>

#include "Source.h"

namespace tavora::audio {

// nullptr for anything that is not an address this opens (local paths included), or
// when the server cannot be reached or sends nothing decodable; error then holds the
// BASS_ERROR_ code. Blocks until the first audio has been decoded (10 s at most).
std::unique_ptr<Source> OpenUrlSource(const std::string& url, uint32_t flags, int& error);

}  // namespace tavora::audio
