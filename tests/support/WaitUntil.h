#pragma once
// Waiting for a state instead of for a time: a test polls the condition it needs and
// gives up only after a generous limit, so a slow or loaded machine makes it slower,
// never red. A passing test never waits for the limit.
#include <chrono>
#include <thread>

namespace tavora::test {

// How long a test waits for a state before it fails.
inline constexpr std::chrono::milliseconds kStateTimeout{30000};

// Calls pump() between checks of done() until done() holds or `timeout` has passed;
// the last result of done().
template <typename Done, typename Pump>
bool WaitUntil(Done&& done, std::chrono::milliseconds timeout, Pump&& pump) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        pump();
    }
    return true;
}

// For states that other threads bring about: sleeps briefly between checks.
template <typename Done>
bool WaitUntil(Done&& done, std::chrono::milliseconds timeout = kStateTimeout) {
    return WaitUntil(done, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
}

}  // namespace tavora::test
