#pragma once
// The options' OK, in the order the player applies it: the skin, the z-order, the
// start-up switches, tray and taskbar, the rest of the general and sound settings and
// the file types, reverse play off, the title format (re-titling the playlist when it
// changed), the store, and the associations of the types switched on.

#include <functional>
#include <string>

#include "PlayerSettings.h"

namespace tavora {

class OptionsHost;

// `applySkin` makes the skin page's choice current (sending "Update Skin" when it
// changed) and returns the skin name to store.
void ApplyOptions(OptionsHost& host, const PlayerSettings& copy, const std::function<std::string()>& applySkin);

}  // namespace tavora
