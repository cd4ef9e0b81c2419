#pragma once
// Editing the user's mimeapps.list (the desktop's per-user choice of application per
// MIME type) without disturbing what other programs wrote there.

#include <string>
#include <vector>

namespace tavora {

// `text` with `desktopId` as the default application of every type in `mimeTypes`
// ("[Default Applications]") and first among the added associations ("[Added
// Associations]"). Every other section, key, comment and line stays as it was; missing
// sections are appended.
std::string WithDefaultApplication(const std::string& text, const std::string& desktopId,
                                   const std::vector<std::string>& mimeTypes);

}  // namespace tavora
