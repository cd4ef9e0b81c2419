#pragma once
// The install folder: skins ("skin/"), run-time modules ("system/"), extracted
// archive songs ("Temp/") and downloads ("UpdateTemp/") live below it.
//
// It is the store's "Install_Dir" under SOFTWARE\TavoraPlayer, written by the install
// step. When that value is missing, or names a folder that no longer exists, the folder
// is derived from the program's own location (<prefix>/bin/tavoraplayer ->
// <prefix>/share/TavoraPlayer) and written back.
// An empty result means "unknown": callers must then not touch the file system
// relative to it.

#include <string>

namespace tavora {

// The folder without a trailing "/" ("" when unknown).
std::string InstallFolder();

// The folder derived from the running program's location, "" when that does not
// look like an installed player (no "skin" or "system" folder there).
std::string DerivedInstallFolder();

// The choice between the stored folder and the derived one: the stored folder, unless it
// is missing or no longer exists on disk while the derived one does (a player moved to
// another prefix, or a store left behind by a removed install).
std::string ResolveInstallFolder(const std::string& stored, const std::string& derived);

// InstallFolder() + "/" + relative, or "" when the install folder is unknown.
std::string InstallPath(const std::string& relative);

}  // namespace tavora
