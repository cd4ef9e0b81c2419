#pragma once
// Address streams: "http://" through libcurl (live ICY radio with stream titles, or
// plain files) and "mms://" through FFmpeg. A download thread fills a bounded byte
// buffer, a decode thread fills a bounded sample buffer, and the playback thread only
// takes what has arrived (an empty buffer makes the channel stall, not block).
//
// Threading: OpenUrlSource blocks its caller until the first audio has been decoded,
// at most for NetworkOpenBudget() (connecting, the reply's headers and the first audio
// together); CancelPendingOpens() from any other thread ends it at once. The source's
// destructor cancels both of its threads' network waits (libcurl through its progress
// callback, FFmpeg through its interrupt callback) and joins them.

#include <memory>
#include <string>

#include "Source.h"

namespace tavora::audio {

// nullptr for anything that is not an address this opens (local paths included), or
// when the server cannot be reached or sends nothing decodable; error then holds the
// BASS_ERROR_ code (BASS_ERROR_TIMEOUT past the deadline, BASS_ERROR_FILEOPEN when
// cancelled).
std::unique_ptr<Source> OpenUrlSource(const std::string& url, uint32_t flags, int& error);

}  // namespace tavora::audio
