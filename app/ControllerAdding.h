#pragma once
// The controller's commands that bring songs into the playlist: the add-files and open
// dialogs ("Open", "Open Total"), folders ("Open Folder", "Open Folder Play", "Open
// Folder Drag"), a dropped file ("Open File Drag"), addresses ("List Add Url", "Open
// Url", "Create Url"), and playlist files ("List Save", "List Load", "OutFile Load
// Play(temp)"); also the playback's "Play with an empty list" dialog and its PLS loads.
//
// Adding works in two steps: rows appear at once with the file name as title and no
// time, and a title-and-time pass on a worker then reads tags and lengths from the
// first new row on. Dialogs run modally on the UI thread; the adding, scanning, list
// loading and the opening of addresses run on the controller's workers (jobs of one
// kind never interleave: "Add", "FolderScan", "M3uLoad", "PlsLoad", "UrlAdd",
// "TitleTimeRefresh"). Paths from drops and the address dialog arrive as the
// command's data. ZIP, RAR and ALZ archives chosen, dropped or found in folders are
// posted as "Start Archive Load" with their path.
//
// Threading: call these functions on the UI thread.

#include <memory>
#include <string>

namespace tavora {

class AddingDialogs;
class CTavoraPlayerDlg;

// Registers the commands with Qt's dialogs (the controller does this when it is made).
void RegisterAddingCommands(CTavoraPlayerDlg& dlg);
// The same with other dialogs (tests answer with fixed choices); calling it again on
// the same controller only swaps the dialogs.
void RegisterAddingCommands(CTavoraPlayerDlg& dlg, std::shared_ptr<AddingDialogs> dialogs);

}  // namespace tavora
