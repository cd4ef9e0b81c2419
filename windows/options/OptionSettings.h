#pragma once
// The settings the options dialog edits, as rules on a PlayerSettings record: the
// dialog's working copy and the player's live settings are both such records.

#include <string>

#include "PlayerSettings.h"

namespace tavora {

// "초기화": the general, file-type and title-format settings go back to the first-start
// choices. Cross-fade, normalisation (and the skin) are left alone.
void ResetOptionSettings(PlayerSettings& s);

// Copies the fields the reset changes from `from`.
void CopyResetFields(const PlayerSettings& from, PlayerSettings& to);

// A title format 1..6 chosen: its flag is set, the other five cleared, "Type" names it.
void ChooseTitleFormat(PlayerSettings& s, int format);
// The format whose flag is set (the first of them), 0 when none is.
int ChosenTitleFormat(const PlayerSettings& s);

// The three ways of showing the player: 0 all, 1 no tray icon, 2 no taskbar button.
enum class ShowMode { All, NoTray, NoTaskbar };
void SetShowMode(PlayerSettings& s, ShowMode mode);
ShowMode ShowModeOf(const PlayerSettings& s);

// The open button's action.
enum class OpenAction { File, Folder, Url };
void SetOpenAction(PlayerSettings& s, OpenAction action);
OpenAction OpenActionOf(const PlayerSettings& s);

// Writes every setting of the dialog to the store in one transaction, skin name included.
void WriteOptionSettings(const PlayerSettings& s, const std::string& skinName);

}  // namespace tavora
