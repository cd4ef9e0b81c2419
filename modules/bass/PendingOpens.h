#pragma once
// The address opens under way, so that the program can end them: an open blocks its
// caller (often a worker thread) until the server answers, and a player that is told
// to stop or to quit must not wait for it. BASS_CancelPendingOpens (and BASS_Free)
// cancel every open registered at that moment; opens started later are not affected.
//
// Threading: any thread. A cancel action runs on the cancelling thread with the
// registry's lock held; it must only set flags and wake waiters.

#include <functional>

namespace tavora::audio {

// Runs the cancel action of every open registered now; answers how many there were.
int CancelPendingOpens();

// Registers a cancel action for its lifetime (the duration of one open).
class PendingOpen {
public:
    explicit PendingOpen(std::function<void()> cancel);
    ~PendingOpen();
    PendingOpen(const PendingOpen&) = delete;
    PendingOpen& operator=(const PendingOpen&) = delete;

private:
    friend int CancelPendingOpens();
    std::function<void()> cancel_;
};


}  // namespace tavora::audio
