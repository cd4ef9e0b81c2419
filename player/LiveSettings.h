#pragma once
// The live settings (SettingsAccess): changing them makes them live at
// once, the playback state's mirror of them included.
//
// UI thread only.

#include "SettingsAccess.h"

namespace tavora {

struct PlaybackState;

class LiveSettings : public SettingsAccess {
public:
    LiveSettings(PlayerSettings& settings, PlaybackState& state) : settings_(settings), state_(state) {}

    const PlayerSettings& Live() const override { return settings_; }
    void SetLive(const PlayerSettings& settings) override;

private:
    PlayerSettings& settings_;
    PlaybackState& state_;
};

}  // namespace tavora
