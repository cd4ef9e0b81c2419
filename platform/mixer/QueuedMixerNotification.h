#pragma once
// Hands the mixer's change notification, which arrives on the mixer's thread, to the
// thread of a QObject (normally the user-interface thread), where the handler may read
// the mixer and move sliders. Notifications that come while one is still queued are
// folded into it: the handler re-reads the mixer anyway, and a volume dragged in another
// program must not flood the event queue.
//
// The receiver must outlive the mixer (destroy the mixer first: that stops its thread).
// A notification still queued when the receiver is destroyed is dropped.

#include <QObject>

#include <functional>

#include "mixer/SystemMixer.h"

namespace tavora::platform {

SystemMixer::ChangeCallback QueuedMixerNotification(QObject* receiver, std::function<void()> handler);

}  // namespace tavora::platform
