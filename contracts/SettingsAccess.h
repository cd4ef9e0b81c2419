#pragma once
// The live settings of the player, as the features read and change them. Changing
// them makes them live at once (whoever follows a setting hears of it); writing them
// to the store is the settings owner's business (settings/Settings.h implements this).
//
// Threading: UI thread.

namespace tavora {

struct PlayerSettings;  // settings/PlayerSettings.h

class SettingsAccess {
public:
    virtual ~SettingsAccess() = default;
    virtual PlayerSettings Live() const = 0;
    virtual void SetLive(const PlayerSettings& settings) = 0;
};

}  // namespace tavora
