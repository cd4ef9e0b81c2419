#pragma once
// The player's own state that is kept between runs (volume, mute, the repeat and
// shuffle modes, the equaliser effect, which windows are shown), saved through the
// settings owner when the player saves.

namespace tavora {

class Settings;
struct PlayerSettings;
struct PlaybackState;

void SavePlayerState(Settings& settings, const PlaybackState& state);

// The state as the settings were loaded at start.
void LoadPlayerState(const PlayerSettings& loaded, PlaybackState& state);

// Keeps the switches the player acts on (always on top, tray and taskbar, start-up and
// open actions, cross-fade, normalising) as the owner's change signal says they are.
void FollowSwitches(Settings& settings, PlaybackState& state);

}  // namespace tavora
