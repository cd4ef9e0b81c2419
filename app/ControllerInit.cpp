// The controller's initialisation, in the order the player has always followed:
// hand-off count, engine and helper libraries, band, updater, title, engine version
// and output, placement, the three skinned windows, mixer, settings, tray, taskbar
// options and finally the command line (or the saved playlist).
//
// Steps that belong to a feature run what the features registered at the named step
// (StartupSteps.h); a feature that is absent from the build registers nothing.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include <cstdio>

#include "CommandNumbers.h"
#include "Commands.h"
#include "HandOffArgument.h"
#include "HandOffChannel.h"
#include "InstallFolder.h"
#include "PlayerWindowSet.h"
#include "PlaylistModel.h"
#include "Messages.h"
#include "PlayerStateSettings.h"
#include "StoredValues.h"
#include "TavoraPlayerDlg.h"
#include "x11/X11WindowState.h"

namespace tavora {

namespace {
const char* const kPlayerTitle = "타보라 플레이어";
}

void CTavoraPlayerDlg::OnInitDialog() {
    // 1. Icon 128.
    setWindowIcon(QIcon(QStringLiteral(":/res/icons/icon128.png")));
    // 2. No handed-over argument is pending.
    stored::ResetHandOffCount();
    // 3. Engine and helper libraries; 4. the taskbar band; 5. the updater.
    RunStartupStep(StartupStep::BeforeLibraries);
    RunStartupStep(StartupStep::LoadLibraries);
    RunStartupStep(StartupStep::LibrariesLoaded);
    if (destroyed_) return;  // told to exit while fetching what was missing
    RunStartupStep(StartupStep::FindBand);
    RunStartupStep(StartupStep::StartUpdater);
    // 6. The title.
    SetTitleText(kPlayerTitle);
    // 7. Without the right engine there are no windows: only closing is left.
    if (!CheckEngineVersion()) {
        show();
        initialised_ = true;
        return;
    }
    // 8. Sound output.
    RunStartupStep(StartupStep::InitOutput);
    // 9. Fresh state.
    SetTitleText(kPlayerTitle);
    state_.isPlaying = state_.isPaused = state_.isUrlStream = state_.isSeeking = 0;
    // 10. Where the main window goes.
    windows_->PlaceAtStart();
    // 11.-13. The skinned windows. The hand-off socket is served from here on: a later
    // launch finds the running player by it.
    // The skin every window of the process reads, chosen before the first of them.
    windows_->ChooseSkin(*this);
    RunStartupStep(StartupStep::CreateMainWindow);
    if (!handOff_) {
        handOff_ = new HandOffServer(
            [this](unsigned message, uintptr_t wParam, intptr_t) -> intptr_t {
                // The playlist window forwards an arrived argument to the controller.
                if (message == msg::OutFileArrived)
                    Send(cmd::HandOffArgument, CommandData::Value(static_cast<int>(wParam)));
                // Commands are taken from local programs of the same user, as a window
                // takes them from any program on its desktop (remote controls, scripts).
                if (message == msg::Command)
                    if (const auto c = cmd::FromNumber(static_cast<int>(wParam), state_)) Send(c->command, c->data);
                return 0;
            },
            this);
        ReserveCommandLineNumber();
        handOff_->listen();
    }
    RunStartupStep(StartupStep::CreatePlaylistWindow);
    RunStartupStep(StartupStep::CreateEqualizerWindow);
    RunStartupStep(StartupStep::WindowsCreated);
    // 14. The system mixer.
    RunStartupStep(StartupStep::OpenMixer);
    // 15. Settings.
    settings_.Load();
    const PlayerSettings loaded = settings_.Values();
    FollowSwitches(settings_, state_);
    playlist_->SetInstallFolder(InstallFolder());
    state_.volume = loaded.volumeValue;
    state_.mute = loaded.mute;
    state_.repeatOff = loaded.repeatOff;
    state_.repeatOne = loaded.repeatOne;
    state_.repeatAll = loaded.repeatAll;
    state_.shuffle = loaded.shuttle;
    state_.equalizerOn = loaded.equalizerOn;
    state_.equalizerShown = loaded.equalizerShown;
    state_.listShown = loaded.listShown;
    state_.alwaysTop = loaded.alwaysTop;
    state_.beginPlay = loaded.beginPlay;
    state_.showTray = loaded.showTray;
    state_.showTaskbar = loaded.showTaskbar;
    state_.startOpen = loaded.startOpen;
    state_.openFile = loaded.openFile;
    state_.openFolder = loaded.openFolder;
    state_.openUrl = loaded.openUrl;
    state_.miniPlayer = loaded.miniPlayer;
    state_.miniPlayerInfo = loaded.miniPlayerInfo;
    state_.crossFade = loaded.crossFade;
    state_.normalize = loaded.normalize;
    RunStartupStep(StartupStep::SettingsLoaded);
    // 16.-18. Show what is to be shown (the equaliser slides out by itself).
    RunStartupStep(StartupStep::ShowWindows);
    if (QWidget* list = playlistWindow(); state_.listShown && list) list->show();
    show();
    windows_->UpdateWindows();
    // 19. The tray icon, unless switched off.
    if (!state_.showTray) RunStartupStep(StartupStep::AddTrayIcon);
    // 20. Taskbar button and z-order.
    ApplyTaskbarOptions();
    initialised_ = true;
    windows_->NoteOwnerPlace();
    // 21. The command line, or the playlist of the last session.
    RunCommandLine();
    // 22. Repaint everything.
    update();
    windows_->UpdateWindows();
}

void CTavoraPlayerDlg::ApplyTaskbarOptions() {
    if (state_.showTaskbar) {
        // No taskbar button of its own.
        platform::SetSkipTaskbar(this, true);
        return;
    }
    SendCommand(cmd::AlwaysTop);
    if (!state_.showTaskbar) platform::SetSkipTaskbar(this, false);
}

void CTavoraPlayerDlg::ReserveCommandLineNumber() {
    if (commandLine_.empty() || commandLineNumberTaken_) return;
    commandLineNumberTaken_ = true;
    commandLineNumber_ = stored::StoreHandOffArgument(commandLine_);
}

void CTavoraPlayerDlg::RunCommandLine() {
    if (commandLine_.empty()) {
        RestorePlaylist({});
        return;
    }
    ReserveCommandLineNumber();
    const std::optional<int> number = commandLineNumber_;
    if (!number) {
        std::fprintf(stderr, "tavoraplayer: the settings store could not be written; \"%s\" was not taken.\n",
                     commandLine_.c_str());
        RestorePlaylist({});
        return;
    }
    // "-add" appends to the playlist of the last session, so that is restored first
    // (otherwise saving at exit would replace it by the one added row); "-s" starts
    // without it.
    if (ParseHandOffArgument(commandLine_).kind == HandOffSwitch::Add) {
        RestorePlaylist([this, n = *number] { OnOutFileLoad(n); });
        return;
    }
    // The list this command line builds replaces the stored one, once it has a row
    // (see the Save step): a list that never arrives does not wipe the stored one.
    replacingStoredList_ = true;
    OnOutFileLoad(*number);
}

}  // namespace tavora
