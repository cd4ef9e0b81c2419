#include "UpdateInstall.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

#include "AudioLibrary.h"
#include "Commands.h"
#include "InstallFolder.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "UpdateDialog.h"
#include "UpdateJob.h"
#include "UpdatePlan.h"
#include "UpdateServer.h"

Q_LOGGING_CATEGORY(lcUpdate, "tavora.update", QtInfoMsg)

namespace tavora::update {
namespace {

UpdateDialogSetup SetupFor(PlayerContext& context, UpdateMode mode) {
    UpdateDialogSetup setup;
    setup.mode = mode;
    setup.installFolder = InstallFolder();
    setup.serverBase = UpdateServerBase();
    setup.exitPlayer = [&context] { context.commands.Send(cmd::Exit); };
    return setup;
}

// The window goes as soon as the player begins to shut down (Exit, a TERM signal).
std::function<void(UpdateDialog&)> EndsWithThePlayer(PlayerContext& context) {
    return [&context](UpdateDialog& window) {
        QObject::connect(&context.events, &PlayerEvents::shutdownPhase, &window, [&window] { window.PlayerEnding(); });
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

void Install(PlayerContext& context) {
    // A run killed while it fetched left its pieces; they are never used.
    context.startup.AddStartupStep(StartupStep::BeforeLibraries, [] { RemoveUnfinishedDownloads(InstallFolder()); });
    context.startup.AddStartupStep(StartupStep::LibrariesLoaded, [&context] {
        AudioLibrary& engine = context.engine;
        const std::vector<std::string> modules = ModulesToFetch(engine.MissingFiles(), ShippedModules());
        if (modules.empty() || InstallFolder().empty()) return;
        UpdateDialogSetup setup = SetupFor(context, UpdateMode::System);
        setup.modules = modules;
        qCInfo(lcUpdate).noquote() << "fetching" << modules.size() << "modules from" << QString::fromStdString(setup.serverBase);
        RunUpdateDialog(std::move(setup), context.windows.Owner(), EndsWithThePlayer(context));
        if (context.shutdown.ShuttingDown()) return;
        engine.RetryMissing();
        // The band module was only wanted on disk; the band program uses it.
        engine.Unload(kDeskbandModule);
    });
    context.startup.AddStartupStep(StartupStep::StartUpdater, [] { StartUpdater(); });
    // Skin mode stays once asked for; the window itself runs once per request.
    context.handlers.RegisterCommand(cmd::AutoUpdateSkin, [&context] {
        if (InstallFolder().empty()) return;
        qCInfo(lcUpdate) << "fetching the skin installer";
        RunUpdateDialog(SetupFor(context, UpdateMode::Skin), context.windows.Owner(), EndsWithThePlayer(context));
    });
}

}  // namespace tavora::update
