#include "ShellInstall.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "AutomationService.h"
#include "DesktopShell.h"
#include "MprisService.h"
#include "PlayerContext.h"
#include "Settings.h"

Q_DECLARE_LOGGING_CATEGORY(lcShell)

namespace tavora {

void desktop_shell::Install(PlayerContext& context) { new DesktopShell(context, MakeX11BandTransport()); }

void session_bus::Install(PlayerContext& context) {
    QWidget* owner = context.windows.Owner();
    ShutdownRegistrar& shutdown = context.shutdown;
    auto* automation = new AutomationService([&shutdown](bool held) { shutdown.SetHeldOpen(held); }, owner);
    if (!automation->Register())
        qCInfo(lcShell) << "no automation service: no session bus, or the name is taken";
    // A start the bus made for a client leaves the file as it is.
    if (!StartedByBus() && !WriteAutomationServiceFile(QString::fromStdString(context.programPath)))
        qCWarning(lcShell) << "the bus activation file could not be written:" << AutomationServiceFilePath();
    const QPointer<DesktopShell> shell = owner->findChild<DesktopShell*>(QString(), Qt::FindDirectChildrenOnly);
    auto* mpris = new MprisPlayer(context.commands, context.view, context.events, context.settings,
                                  [shell] {
                                      if (shell) shell->RestorePlayer();
                                  },
                                  owner);
    if (!mpris->Register()) qCInfo(lcShell) << "no MPRIS player: no session bus, or the name is taken";
}

}  // namespace tavora
