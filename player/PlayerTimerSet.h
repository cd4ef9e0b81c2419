#pragma once
// The player's numbered timers (PlayerTimers): what each does is registered by its
// part; a guard may end a timer instead of letting it tick (a timer that stops itself
// once it has nothing to do).
//
// Threading: UI thread.

#include <QBasicTimer>
#include <QObject>

#include <functional>
#include <map>

#include "PlayerTimers.h"

namespace tavora {

class PlayerTimerSet : public QObject, public PlayerTimers {
    Q_OBJECT
public:
    using QObject::QObject;

    void RegisterTimer(int id, TimerHandler handler) override { handlers_[id] = std::move(handler); }
    void SetTimer(int id, int periodMs) override { timers_[id].start(periodMs, this); }
    void KillTimer(int id) override;
    bool IsTimerActive(int id) const override;
    void KillAll();
    // Asked before every tick: false ends the timer instead.
    void SetGuard(std::function<bool(int id)> keepTicking) { guard_ = std::move(keepTicking); }
    // One tick of `id`, as the timer gives it.
    void Tick(int id);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::map<int, TimerHandler> handlers_;
    std::map<int, QBasicTimer> timers_;
    std::function<bool(int)> guard_;
};

}  // namespace tavora
