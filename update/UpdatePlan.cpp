#include "UpdatePlan.h"

#include <algorithm>
#include <sstream>

#include "AudioLibrary.h"
#include "ShippedModules.h"
#include "UpdateServer.h"

namespace tavora {

std::vector<std::string> ShippedModules() {
    std::vector<std::string> names;
    std::istringstream list(kShippedModuleList);
    for (std::string name; std::getline(list, name, ';');)
        if (!name.empty()) names.push_back(name);
    return names;
}

std::vector<std::string> ModulesToFetch(const std::vector<std::string>& missing,
                                        const std::vector<std::string>& shipped) {
    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        if (names.size() >= kMaxDownloadItems) return;
        if (std::find(shipped.begin(), shipped.end(), name) == shipped.end()) return;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    const bool engineMissing = std::find(missing.begin(), missing.end(), kBassModule) != missing.end();
    if (engineMissing)
        for (const char* name : {kBassModule, kBassFxModule, kBassCdModule, kBassWmaModule}) add(name);
    for (const std::string& name : missing) add(name);
    return names;
}

std::vector<DownloadItem> BuildDownloadItems(UpdateMode mode, const std::vector<std::string>& modules,
                                             const std::string& installFolder, const std::string& serverBase) {
    std::vector<DownloadItem> items;
    const std::string temp = installFolder + "/" + kUpdateTempFolder + "/";
    if (mode == UpdateMode::Skin) {
        const std::string target = temp + kSkinInstallerName;
        items.push_back({SkinInstallerAddress(serverBase), kSkinInstallerName, target, target, ItemAction::Run});
        return items;
    }
    for (const std::string& name : modules) {
        if (items.size() >= kMaxDownloadItems) break;
        items.push_back({SystemModuleAddress(serverBase, name), name, temp + name,
                         installFolder + "/system/" + name, ItemAction::Copy});
    }
    return items;
}

}  // namespace tavora
