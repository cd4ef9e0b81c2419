#pragma once
// The player's numbered timers (the numbers in Messages.h's timer table): a feature
// registers what a timer does; the playback starts and stops them. All timers stop in
// the shutdown's StopPlayback phase.
//
// Threading: UI thread.

#include <functional>

namespace tavora {

class PlayerTimers {
public:
    using TimerHandler = std::function<void()>;

    virtual ~PlayerTimers() = default;
    virtual void RegisterTimer(int id, TimerHandler handler) = 0;
    virtual void SetTimer(int id, int periodMs) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool IsTimerActive(int id) const = 0;
};

}  // namespace tavora
