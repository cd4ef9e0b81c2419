#pragma once
// Files that archive songs were extracted to: they live below the install folder's
// "Temp/" and go with their rows.

#include <string>
#include <string_view>

namespace tavora {

// True when `path` is spelled as a name below installFolder + "/Temp/" with no empty, "."
// or ".." step (compared case-sensitively; never for an empty install folder). Says
// nothing about links: RemoveExtractedFile checks the real folders.
bool IsExtractedFile(std::string_view path, std::string_view installFolder);

// Removes the file at `path` when it really lies in the Temp folder: every folder on the
// way is opened without following a link, and only a regular file or a link (the link
// itself, never what it points to) is removed. True when something was removed.
bool RemoveExtractedFile(const std::string& path, const std::string& installFolder);

}  // namespace tavora
