#include "UpdateInstall.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

#include "AudioLibrary.h"
#include "Commands.h"
#include "InstallFolder.h"
#include "PlayerEvents.h"
#include "TavoraPlayerDlg.h"
#include "UpdateDialog.h"
#include "UpdateJob.h"
#include "UpdatePlan.h"
#include "UpdateServer.h"

Q_LOGGING_CATEGORY(lcUpdate, "tavora.update", QtInfoMsg)

namespace tavora {
namespace {

UpdateDialogSetup SetupFor(CTavoraPlayerDlg& dlg, UpdateMode mode) {
    UpdateDialogSetup setup;
    setup.mode = mode;
    setup.installFolder = InstallFolder();
    setup.serverBase = UpdateServerBase();
    setup.exitPlayer = [&dlg] { dlg.Send(cmd::Exit); };
    return setup;
}

// The window goes as soon as the player begins to shut down (Exit, a TERM signal).
std::function<void(UpdateDialog&)> EndsWithThePlayer(CTavoraPlayerDlg& dlg) {
    return [&dlg](UpdateDialog& window) {
        QObject::connect(&dlg.events(), &PlayerEvents::shutdownPhase, &window, [&window] { window.PlayerEnding(); });
    };
}

void StartUpdater() {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/") + QString::fromUtf8(kUpdaterName);
    if (!QFileInfo(path).isExecutable()) {
        qCInfo(lcUpdate).noquote() << "no updater at" << path;
        return;
    }
    if (!QProcess::startDetached(path, {})) qCWarning(lcUpdate).noquote() << "the updater could not be started:" << path;
}

}  // namespace

void InstallUpdate(CTavoraPlayerDlg& dlg) {
    ControllerHooks& hooks = dlg.hooks();
    hooks.loadLibraries = [load = hooks.loadLibraries](CTavoraPlayerDlg& d) {
        // A run killed while it fetched left its pieces; they are never used.
        RemoveUnfinishedDownloads(InstallFolder());
        if (load) load(d);
        const std::vector<std::string> modules = ModulesToFetch(d.audio().MissingFiles(), ShippedModules());
        if (modules.empty() || InstallFolder().empty()) return;
        UpdateDialogSetup setup = SetupFor(d, UpdateMode::System);
        setup.modules = modules;
        qCInfo(lcUpdate).noquote() << "fetching" << modules.size() << "modules from" << QString::fromStdString(setup.serverBase);
        RunUpdateDialog(std::move(setup), &d, EndsWithThePlayer(d));
        if (d.isDestroyed()) return;
        d.audio().RetryMissing();
        // The band module was only wanted on disk; the band program uses it.
        d.audio().Unload(kDeskbandModule);
    };
    hooks.startUpdater = [](CTavoraPlayerDlg&) { StartUpdater(); };
    // Skin mode stays once asked for; the window itself runs once per request.
    dlg.RegisterCommand(cmd::AutoUpdateSkin, [&dlg] {
        if (InstallFolder().empty()) return;
        qCInfo(lcUpdate) << "fetching the skin installer";
        RunUpdateDialog(SetupFor(dlg, UpdateMode::Skin), &dlg, EndsWithThePlayer(dlg));
    });
}

}  // namespace tavora
