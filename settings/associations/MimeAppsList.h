#pragma once
// Editing the user's mimeapps.list (the desktop's per-user choice of application per
// MIME type) without disturbing what other programs wrote there.

#include <string>
#include <vector>

namespace tavora {

// `text` with `desktopId` associated with every type in `mimeTypes`. The user's own
// choices stay: a type whose "[Default Applications]" entry names another program
// keeps it, and the player is only added at the end of its "[Added Associations]"
// (offered, not chosen). A type with no default, or whose default is already
// `desktopId`, gets `desktopId` as its default and first among its added
// associations. Every other section, key, comment and line stays as it was; missing
// sections are appended.
std::string WithAssociation(const std::string& text, const std::string& desktopId,
                                   const std::vector<std::string>& mimeTypes);

}  // namespace tavora
