#include "Application.h"

#include <QApplication>

#include "ArchiveReader.h"
#include "Associations.h"
#include "Commands.h"
#include "EqualizerWindowInstall.h"
#include "MainWindowInstall.h"
#include "MasterVolume.h"
#include "Messages.h"
#include "OptionsInstall.h"
#include "PlayerEvents.h"
#include "PlaylistListCtrl.h"
#include "PlaylistWindow.h"
#include "PlaylistWindowInstall.h"
#include "ShellInstall.h"
#include "ShutdownSignals.h"
#include "SkinFonts.h"
#include "StartupRoutine.h"
#include "StreamPlayback.h"
#include "TagEditorsInstall.h"
#include "TavoraPlayerDlg.h"
#include "UpdateInstall.h"

namespace tavora {

Application::Application(std::string programPath, std::string commandLine)
    : programPath_(std::move(programPath)), commandLine_(std::move(commandLine)) {}

Application::~Application() = default;

int Application::Run(int& argc, char** argv) {
    CTavoraPlayerApp startup(programPath_, commandLine_);
    // Skins name Windows fonts; they are mapped to installed Korean fonts.
    startup.hooks().prepareApplication = [](QApplication&) { InstallSkinFontSubstitutions(); };
    startup.hooks().writeAssociations = [](const AssociationFlags& f, const std::string& programPath) {
        const ConnectFlags flags = ConnectFlagsOf(f.mp3, f.ogg, f.wma, f.wav, f.cda, f.m3u, f.pls);
        RegisterAssociations(flags, programPath);
    };
    startup.hooks().associationsChanged = [] { NotifyAssociationsChanged(); };
    return startup.Run(argc, argv, [this](QApplication& app, const std::string& commandLine) {
        commandLine_ = commandLine;
        return RunPlayer(app);
    });
}

CTavoraPlayerDlg& Application::Assemble() {
    controller_ = std::make_unique<CTavoraPlayerDlg>(commandLine_);
    CTavoraPlayerDlg& dlg = *controller_;
    PlayerEvents& events = dlg.events();

    // What the playback reports goes out as events; whoever shows it listens.
    PlaybackViews& views = dlg.playback().views();
    views.refreshMain = [&events] { emit events.displayChanged(); };
    views.startMainTimers = [&events] { emit events.playbackStarted(); };
    views.volumeTooltip = [&events](const std::string& text) { emit events.volumeText(QString::fromStdString(text)); };
    views.positionTooltip = [&events](const std::string& text) {
        emit events.positionText(QString::fromStdString(text));
    };
    views.ensureRowVisible = [&events](int row) { emit events.playingRowChanged(row); };
    views.repaintList = [&events] { emit events.listChanged(); };
    views.stopped = [&events] { emit events.playbackStopped(); };

    // The windows, created at their steps of the controller's initialisation.
    ControllerHooks& hooks = dlg.hooks();
    hooks.createMainWindow = [](CTavoraPlayerDlg& d) { CreateMainWindow(d); };
    hooks.createPlaylistWindow = [](CTavoraPlayerDlg& d) {
        PlaylistWindow* list = CreatePlaylistWindow(d);
        // The tag editors open on the rows selected in the playlist window.
        InstallTagEditors(d, [rows = list->list()] { return rows->SelectedRows(); }, list);
    };
    hooks.createEqualizerWindow = [](CTavoraPlayerDlg& d) { CreateEqualizerWindow(d); };
    hooks.openMixer = [](CTavoraPlayerDlg& d) { OpenMasterVolume(d); };
    InstallOptionsDialog(dlg, programPath_);
    // Missing modules, the skin installer and the background updater.
    InstallUpdate(dlg);
    // The tray and the band.
    shell_ = &InstallDesktopShell(dlg);

    // Archives given to the player are listed and extracted by the archive reader.
    InstallArchiveReader(dlg);
    return dlg;
}

void Application::Close() {
    if (!controller_) return;
    controller_->End();
    // Ends the process at once when a worker would not stop (see ~CTavoraPlayerDlg).
    controller_.reset();
}

int Application::RunPlayer(QApplication& app) {
    CTavoraPlayerDlg& dlg = Assemble();
    // Other programs reach the player: automation service, MPRIS.
    PublishOnSessionBus(dlg, *shell_, programPath_);
    // The desktop session ending, or a TERM/INT/HUP signal, ends the player even while
    // an automation client holds it, saving everything as Exit does; no step of the
    // shutdown waits without bound.
    ShutdownSignals onSignals([&dlg] { dlg.End(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &dlg, [&dlg] { dlg.End(); });
    dlg.RunModal();
    Close();
    return 0;
}

}  // namespace tavora
