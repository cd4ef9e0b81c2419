#include "QueuedMixerNotification.h"

#include <QMetaObject>

#include <atomic>
#include <memory>

namespace tavora::platform {

SystemMixer::ChangeCallback QueuedMixerNotification(QObject* receiver, std::function<void()> handler) {
    auto queued = std::make_shared<std::atomic<bool>>(false);
    auto shared = std::make_shared<std::function<void()>>(std::move(handler));
    return [receiver, queued, shared] {
        if (queued->exchange(true)) return;
        QMetaObject::invokeMethod(
            receiver,
            [queued, shared] {
                // Cleared before the handler runs, so a change during it is posted again.
                queued->store(false);
                (*shared)();
            },
            Qt::QueuedConnection);
    };
}

}  // namespace tavora::platform
