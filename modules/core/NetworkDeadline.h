#pragma once
// Cancelling network work: a flag another thread sets, and the deadline of an open.
// A radio server may accept and never answer, send header lines without end or trickle
// one byte a second; every wait on the network checks ShouldStop() so that neither a
// hostile server nor a stalled one holds a caller longer than the open budget, and a
// cancel ends the wait at once.
//
// Threading: every member may be called from any thread.

#include <atomic>
#include <chrono>

namespace tavora::audio {

class NetworkDeadline {
public:
    using Clock = std::chrono::steady_clock;

    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    // Sets the deadline budget from now; ClearDeadline ends the open phase.
    void StartOpen(std::chrono::milliseconds budget) { deadline_ = (Clock::now() + budget).time_since_epoch().count(); }
    void ClearDeadline() { deadline_ = 0; }
    // The deadline, or far away when the open is over.
    Clock::time_point Deadline() const {
        const auto deadline = deadline_.load();
        return deadline != 0 ? Clock::time_point(Clock::duration(deadline)) : Clock::time_point::max();
    }
    bool Expired() const {
        const auto deadline = deadline_.load();
        return deadline != 0 && Clock::now().time_since_epoch().count() >= deadline;
    }
    bool ShouldStop() const { return Cancelled() || Expired(); }

private:
    std::atomic<bool> cancelled_ {false};
    std::atomic<Clock::rep> deadline_ {0};  // 0: no deadline
};

// How long connecting, the reply's headers and the first audio may take together:
// TAVORA_NET_OPEN_DEADLINE_MS when it holds a sensible number, else 15 s.
std::chrono::milliseconds NetworkOpenBudget();

}  // namespace tavora::audio
