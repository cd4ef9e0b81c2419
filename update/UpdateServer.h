#pragma once
// Where the player fetches what it lacks: the update server's base address and the
// paths below it.
//
// The base address is the store's "UpdateServer" string under SOFTWARE\TavoraPlayer,
// or the built-in default when it is missing or empty. A trailing "/" is dropped so
// the paths join cleanly.

#include <string>

namespace tavora {

inline constexpr const char* kDefaultUpdateServer = "https://update.tavoraplayer.org";
inline constexpr const char* kSystemUpdatePath = "/AutoUpdate/system/";
inline constexpr const char* kSkinUpdatePath = "/AutoUpdate/skin/";
inline constexpr const char* kSkinInstallerName = "TavoraUpdateSkin";
inline constexpr const char* kUpdaterName = "TavoraUpdate";

std::string UpdateServerBase();
std::string SystemModuleAddress(const std::string& base, const std::string& moduleName);
std::string SkinInstallerAddress(const std::string& base);

}  // namespace tavora
