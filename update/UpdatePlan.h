#pragma once
// What one run of the update fetches, and where each file goes.
//
// System mode fetches the modules missing at start-up, each from
// <server>/AutoUpdate/system/<name> into <install>/UpdateTemp/<name>, and copies it
// into <install>/system/<name>. When "bass.so" is missing all four engine modules are
// fetched, since its siblings were never tried. Skin mode fetches the skin installer
// from <server>/AutoUpdate/skin/TavoraUpdateSkin into <install>/UpdateTemp and runs it.

#include <string>
#include <vector>

namespace tavora {

enum class UpdateMode { System, Skin };
enum class ItemAction { Copy, Run };

inline constexpr size_t kMaxDownloadItems = 8;
inline constexpr const char* kUpdateTempFolder = "UpdateTemp";

struct DownloadItem {
    std::string address;         // on the update server
    std::string name;            // shown in the dialog
    std::string downloadTarget;  // below <install>/UpdateTemp
    std::string destination;     // where it is installed (Copy) or what is run (Run)
    ItemAction action = ItemAction::Copy;
};

// The modules to fetch for the loader's missing list, in its order: "bass.so" brings
// its three siblings; names this build does not ship (see ShippedModules) are left
// out, as the server would not have them either. At most kMaxDownloadItems.
std::vector<std::string> ModulesToFetch(const std::vector<std::string>& missing,
                                        const std::vector<std::string>& shipped);

// The modules this build installs into "system".
std::vector<std::string> ShippedModules();

std::vector<DownloadItem> BuildDownloadItems(UpdateMode mode, const std::vector<std::string>& modules,
                                             const std::string& installFolder, const std::string& serverBase);

}  // namespace tavora
