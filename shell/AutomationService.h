#pragma once
// "TavoraPlayer.Application" on the session bus: other programs attach to the running
// player (or have the bus start it) and hold it. While any client holds it, closing
// the player only hides it and the process keeps running; when the last one lets go
// (or disappears from the bus) a close asked for meanwhile is carried out.
//
// Object /TavoraPlayer/Application, interface TavoraPlayer.Application: each Attach is
// one hold of the calling connection, Release lets go of one of them. A hold lasts as
// long as the caller's connection to the bus.
// The bus starts the player for a client when no player runs: the service file that
// tells it how is written again at every start the bus did not make.
//
// Threading: UI thread only.

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QDBusServiceWatcher;

namespace tavora {

inline constexpr const char* kAutomationService = "TavoraPlayer.Application";
inline constexpr const char* kAutomationPath = "/TavoraPlayer/Application";

// The activation file's text for a program at `programPath`.
QString AutomationServiceFileText(const QString& programPath);
// Where the bus looks for it: $XDG_DATA_HOME/dbus-1/services (~/.local/share/...).
QString AutomationServiceFilePath();
// Writes it; false when it could not be written.
bool WriteAutomationServiceFile(const QString& programPath);
// Whether the bus started this process (it sets DBUS_STARTER_BUS_TYPE).
bool StartedByBus();

class AutomationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "TavoraPlayer.Application")
public:
    // `held` is told whenever the player goes from free to held and back.
    explicit AutomationService(std::function<void(bool held)> held, QObject* parent = nullptr);
    ~AutomationService() override;

    // Takes the name on the session bus; false when there is no bus or the name is taken.
    bool Register();
    int holds() const;

public slots:
    Q_SCRIPTABLE void Attach();
    Q_SCRIPTABLE void Release();

private:
    void Hold(const QString& client);
    void LetGo(const QString& client, bool all);

    std::function<void(bool)> held_;
    std::map<QString, int> holds_;  // unique bus name -> its holds
    QDBusServiceWatcher* watcher_ = nullptr;
    bool registered_ = false;
};

}  // namespace tavora
