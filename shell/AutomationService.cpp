#include "AutomationService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace tavora {

QString AutomationServiceFileText(const QString& programPath) {
    return QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2\n")
        .arg(QString::fromLatin1(kAutomationService), programPath);
}

QString AutomationServiceFilePath() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data + QStringLiteral("/dbus-1/services/") + QString::fromLatin1(kAutomationService) +
           QStringLiteral(".service");
}

bool WriteAutomationServiceFile(const QString& programPath) {
    // The Exec line is one word: a path with blanks or quotes would be misread.
    if (programPath.isEmpty() || programPath.contains(QRegularExpression(QStringLiteral("[\\s\"'\\\\]"))))
        return false;
    const QString path = AutomationServiceFilePath();
    if (!QDir().mkpath(QFileInfo(path).path())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(AutomationServiceFileText(programPath).toUtf8());
    return file.commit();
}

bool StartedByBus() { return !qEnvironmentVariableIsEmpty("DBUS_STARTER_BUS_TYPE"); }

AutomationService::AutomationService(std::function<void(bool held)> held, QObject* parent)
    : QObject(parent), held_(std::move(held)) {}

AutomationService::~AutomationService() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kAutomationPath));
    bus.unregisterService(QString::fromLatin1(kAutomationService));
}

bool AutomationService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerObject(QString::fromLatin1(kAutomationPath), this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (!bus.registerService(QString::fromLatin1(kAutomationService))) {
        bus.unregisterObject(QString::fromLatin1(kAutomationPath));
        return false;
    }
    watcher_ = new QDBusServiceWatcher(this);
    watcher_->setConnection(bus);
    watcher_->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    // A client that leaves the bus (ends, crashes, is killed) lets go of all it held.
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& client) { LetGo(client, true); });
    registered_ = true;
    return true;
}

int AutomationService::holds() const {
    int n = 0;
    for (const auto& [client, count] : holds_) n += count;
    return n;
}

void AutomationService::Attach() { Hold(calledFromDBus() ? message().service() : QString()); }

void AutomationService::Release() { LetGo(calledFromDBus() ? message().service() : QString(), false); }

void AutomationService::Hold(const QString& client) {
    const bool wasHeld = holds() > 0;
    if (++holds_[client] == 1 && watcher_ && !client.isEmpty()) watcher_->addWatchedService(client);
    if (!wasHeld && held_) held_(true);
}

void AutomationService::LetGo(const QString& client, bool all) {
    auto it = holds_.find(client);
    if (it == holds_.end()) return;  // a client cannot let go of another's hold
    if (all || --it->second <= 0) {
        holds_.erase(it);
        if (watcher_ && !client.isEmpty()) watcher_->removeWatchedService(client);
    }
    if (holds() == 0 && held_) held_(false);
}

}  // namespace tavora
