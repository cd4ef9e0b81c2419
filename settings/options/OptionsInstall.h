#pragma once
// Joins the options dialog to the controller: the command "Setting" (F4, the menus'
// "환경설정...") opens it, or brings it to the front when it is open already. The
// dialog changes the controller's live settings and their mirror in the playback
// state, and sends its commands through the controller's command sink. The sound
// page moves the system master volume through a mixer of its own, opened the first
// time the dialog opens and closed with the player.
//
// UI thread only.

#include <functional>
#include <string>

#include "OptionsHost.h"

namespace tavora {

class CTavoraPlayerDlg;
class OptionsDialog;

// `programPath` is the running program (the associations name it). `masterVolume`
// stands in for the system mixer when set (tests).
void InstallOptionsDialog(CTavoraPlayerDlg& dlg, std::string programPath,
                          std::function<MasterVolumeAccess()> masterVolume = {});

// The dialog while it is open (null otherwise).
OptionsDialog* OpenOptionsDialog(CTavoraPlayerDlg& dlg);

}  // namespace tavora
