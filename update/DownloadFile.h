#pragma once
// Fetching one file over HTTP(S) into place.
//
// The body goes to a temporary file beside the target and is renamed over the target
// only when the transfer is complete: status 200 and, when the server announced a
// length, exactly that many bytes. A cut connection, an error status or a stall
// leaves the target as it was (absent or the previous file), never half written.
//
// A transfer that receives less than `minBytesPerSecond` on average over `stallLimit`
// is ended, and so is one still running at `deadline`: neither a silent nor a
// trickling server can hold the caller. `cancel` (checked at least once a second while
// the transfer runs) ends it early.
//
// Redirects are followed (at most five) only to the same scheme, host and port as
// `address`; a redirect anywhere else fails the transfer.
//
// Threading: any thread; blocks while it downloads. libcurl is initialised once per
// process on first use.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tavora {

struct DownloadOptions {
    // Percent of the announced length received (0 while the length is unknown).
    std::function<void(int percent)> progress;
    std::chrono::seconds stallLimit{30};
    int64_t minBytesPerSecond = 1024;
    std::chrono::seconds deadline{15 * 60};
    std::chrono::seconds connectLimit{20};
    // Larger bodies are refused (nothing the server offers is near this size).
    int64_t maxBytes = int64_t{512} << 20;
    const std::atomic<bool>* cancel = nullptr;
};

struct DownloadResult {
    bool ok = false;
    long httpStatus = 0;
    std::string error;  // why it failed, for the log
};

DownloadResult DownloadFile(const std::string& address, const std::string& target, const DownloadOptions& options = {});

// The percentage the progress bar shows: received * 100 / total, 0 when total is 0.
int ProgressPercent(int64_t received, int64_t total);

}  // namespace tavora
