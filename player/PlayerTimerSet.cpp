#include "PlayerTimerSet.h"

#include <QTimerEvent>

namespace tavora {

void PlayerTimerSet::KillTimer(int id) {
    if (auto it = timers_.find(id); it != timers_.end()) it->second.stop();
}

bool PlayerTimerSet::IsTimerActive(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.isActive();
}

void PlayerTimerSet::KillAll() {
    for (auto& [id, timer] : timers_) timer.stop();
}

void PlayerTimerSet::Tick(int id) {
    if (guard_ && !guard_(id)) {
        KillTimer(id);
        return;
    }
    if (auto it = handlers_.find(id); it != handlers_.end() && it->second) it->second();
}

void PlayerTimerSet::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timerId() == event->timerId()) {
            Tick(id);
            return;
        }
    }
    QObject::timerEvent(event);
}

}  // namespace tavora
