#pragma once
// The options dialog as a feature: the command "Setting" (F4, the menus' "환경설정...")
// opens it, or brings it to the front when it is open already. The dialog changes the
// player's live settings through the settings face and sends its commands through the
// command sink. The sound page shows the master volume as last announced, moves it
// with VolumeSetting and follows its announcements.
//
// UI thread only.

class QWidget;

namespace tavora {

struct PlayerContext;
class OptionsDialog;

namespace options {

void Install(PlayerContext& context);

// The dialog while it is open (null otherwise); `owner` is the window set's owner.
OptionsDialog* OpenDialog(QWidget* owner);

}  // namespace options
}  // namespace tavora
