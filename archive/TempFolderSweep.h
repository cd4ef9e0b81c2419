#pragma once
// The exit sweep of the temporary folder (the install folder's "Temp"), where archive
// songs are extracted: every file that is not a song (IsKeptBySweep) is deleted, in
// subfolders too (except folders whose name starts with "."), and every folder left
// empty is removed, the temporary folder itself included. Songs stay: playlist rows
// refer to them across runs.
//
// The sweep never leaves the temporary folder: symbolic links are deleted or kept as
// links by their own name and never followed, and a temporary folder that is itself a
// link is not swept. Without a known install folder nothing is swept at all. Failures
// to delete are ignored.
//
// Threading: any thread; nothing else should extract into the folder meanwhile.

#include <string>

namespace tavora {

// Sweeps installFolder + "/Temp". False when nothing was swept (no install folder, it
// is not an absolute path, or the temporary folder is absent or not a real folder).
bool SweepTempFolder(const std::string& installFolder);

}  // namespace tavora
