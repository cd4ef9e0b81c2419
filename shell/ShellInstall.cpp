#include "ShellInstall.h"

#include <QString>
#include <QLoggingCategory>

#include "AutomationService.h"
#include "DesktopShell.h"
#include "MprisService.h"
#include "TavoraPlayerDlg.h"

Q_DECLARE_LOGGING_CATEGORY(lcShell)

namespace tavora {

DesktopShell& InstallDesktopShell(CTavoraPlayerDlg& dlg) { return *new DesktopShell(dlg, MakeX11BandTransport()); }

void PublishOnSessionBus(CTavoraPlayerDlg& dlg, DesktopShell& shell, const std::string& programPath) {
    auto* automation = new AutomationService([&dlg](bool held) { dlg.SetAutomationHeld(held); }, &dlg);
    if (!automation->Register())
        qCInfo(lcShell) << "no automation service: no session bus, or the name is taken";
    // A start the bus made for a client leaves the file as it is.
    if (!StartedByBus() && !WriteAutomationServiceFile(QString::fromStdString(programPath)))
        qCWarning(lcShell) << "the bus activation file could not be written:" << AutomationServiceFilePath();
    auto* mpris = new MprisPlayer(dlg, dlg.view(), dlg.events(), [&shell] { shell.RestorePlayer(); }, &dlg);
    if (!mpris->Register()) qCInfo(lcShell) << "no MPRIS player: no session bus, or the name is taken";
}

}  // namespace tavora
