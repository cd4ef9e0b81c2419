#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread, so the player closes
// as if the user chose Exit and saves everything. Create after the application
// object, on the UI thread; one at a time.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tavora {

class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(std::function<void()> onSignal);
    ~ShutdownSignals() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tavora
