#pragma once
// Turns SIGTERM, SIGINT and SIGHUP, and the desktop session's end, into a call on the
// UI thread, so the player ends and saves everything. The session's end reaches the
// program as a Quit event to the application (the session manager's "die"), which is
// seen here before the application starts closing windows. Create after the
// application object, on the UI thread; one at a time.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tavora {

class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(std::function<void()> onSignal);
    ~ShutdownSignals() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tavora
