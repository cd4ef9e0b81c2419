#pragma once
// The live settings of the player, as the features read and change them. Changing
// them makes them live at once (the playback state follows); writing them to the
// store is the settings' own business.
//
// Threading: UI thread.

namespace tavora {

struct PlayerSettings;  // settings/PlayerSettings.h

class SettingsAccess {
public:
    virtual ~SettingsAccess() = default;
    virtual const PlayerSettings& Live() const = 0;
    virtual void SetLive(const PlayerSettings& settings) = 0;
};

}  // namespace tavora
