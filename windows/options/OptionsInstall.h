#pragma once
// Joins the options dialog to the controller: the command "Setting" (F4, the menus'
// "환경설정...") opens it, or brings it to the front when it is open already. The
// dialog changes the controller's live settings and their mirror in the playback
// state, and sends its commands through the controller's command sink. The sound
// page reads the controller's master volume, moves it with VolumeSetting and follows
// its announcements.
//
// UI thread only.

#include <string>

#include "OptionsHost.h"

namespace tavora {

class CTavoraPlayerDlg;
class OptionsDialog;

// `programPath` is the running program (the associations name it).
void InstallOptionsDialog(CTavoraPlayerDlg& dlg, std::string programPath);

// The dialog while it is open (null otherwise).
OptionsDialog* OpenOptionsDialog(CTavoraPlayerDlg& dlg);

}  // namespace tavora
