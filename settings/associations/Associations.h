#pragma once
// Registering the player as the handler of its file types: the store's keys
// (ClassesKeys.h) and the desktop's files (DesktopAssociations.h) for the types whose
// flag is set. Run at start-up when "AutoConnect" is on, and on the options' OK.
// Associations are only ever written, never removed.

#include <string>

#include "FileTypes.h"

namespace tavora {

void RegisterAssociations(const ConnectFlags& flags, const std::string& programPath);

// Tells the desktop that associations changed: its caches are rebuilt in the
// background by the tools installed for it.
void NotifyAssociationsChanged();

}  // namespace tavora
