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
#include "HandOffDispatch.h"
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
    if (!handOff_) handOff_ = handOffs_->Listen(this);
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
    LoadPlayerState(loaded, state_);
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
    handOffs_->RunCommandLine(state_.beginPlay != 0);
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

}  // namespace tavora
