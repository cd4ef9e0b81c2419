#pragma once
// Joins the update to the controller:
// - after the modules are loaded at start-up, the missing ones this install is made of
//   are fetched in the download window (system mode) and loaded once more;
// - "Auto Update Skin" (sent by the skin choice when no skin is installed) fetches and
//   runs the skin installer (skin mode, for the rest of the run);
// - the background updater "TavoraUpdate" beside the player is started at every start.
//
// Threading: UI thread, before the controller initialises.

namespace tavora {

class CTavoraPlayerDlg;

void InstallUpdate(CTavoraPlayerDlg& dlg);

}  // namespace tavora
