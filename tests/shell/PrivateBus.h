#pragma once
// A session bus of the test's own (dbus-daemon), made the process's session bus
// before anything connects to one.
#include <QProcess>
#include <QString>

#include <cstdlib>

namespace tavora::test {

class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(30000)) return;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(30000)) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        if (!address_.isEmpty()) setenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8().constData(), 1);
    }
    ~PrivateBus() {
        daemon_.terminate();
        daemon_.waitForFinished(10000);
    }
    bool ok() const { return !address_.isEmpty(); }
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

}  // namespace tavora::test
