#include "Application.h"

#include <QApplication>

#include "ArchiveReader.h"
#include "Associations.h"
#include "EqualizerWindowInstall.h"
#include "MainWindowInstall.h"
#include "MasterVolume.h"
#include "OptionsInstall.h"
#include "PlaylistWindowInstall.h"
#include "ShellInstall.h"
#include "ShutdownSignals.h"
#include "SkinFonts.h"
#include "StartupRoutine.h"
#include "TagEditorsInstall.h"
#include "TavoraPlayerDlg.h"
#include "UpdateInstall.h"

namespace tavora {

namespace {

// The player's features, installed in this order. Each joins the start at its named
// steps, so the order here decides only the order within a step.
constexpr Feature kFeatures[] = {
    {"main window", main_window::Install},
    {"playlist window", playlist_window::Install},
    {"tag editors", tag_editors::Install},  // over the playlist window, on its selection
    {"equalizer window", equalizer_window::Install},
    {"master volume", master_volume::Install},
    {"options", options::Install},
    {"update", update::Install},  // missing modules, the skin installer, the updater
    {"desktop shell", desktop_shell::Install},  // the tray and the band
    {"archive reader", archive_reader::Install},
    {"session bus", session_bus::Install, true},  // automation, MPRIS
};

}  // namespace

Application::Application(std::string programPath, std::string commandLine)
    : programPath_(std::move(programPath)), commandLine_(std::move(commandLine)) {}

Application::~Application() = default;

std::span<const Feature> Application::Features() { return kFeatures; }

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

CTavoraPlayerDlg& Application::Assemble(const std::function<bool(const Feature&)>& wanted) {
    controller_ = std::make_unique<CTavoraPlayerDlg>(commandLine_);
    PlayerContext& context = controller_->context();
    context.programPath = programPath_;
    for (const Feature& feature : kFeatures)
        if (wanted ? wanted(feature) : !feature.programOnly) feature.install(context);
    return *controller_;
}

void Application::Close() {
    if (!controller_) return;
    controller_->End();
    // Ends the process at once when a worker would not stop (see ~CTavoraPlayerDlg).
    controller_.reset();
}

int Application::RunPlayer(QApplication& app) {
    CTavoraPlayerDlg& dlg = Assemble([](const Feature&) { return true; });
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
