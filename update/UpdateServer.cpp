#include "UpdateServer.h"

#include "StoredValues.h"

namespace tavora {

std::string UpdateServerBase() {
    std::string base = stored::ReadUpdateServer(kDefaultUpdateServer);
    if (base.empty()) base = kDefaultUpdateServer;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::string SystemModuleAddress(const std::string& base, const std::string& moduleName) {
    return base + kSystemUpdatePath + moduleName;
}

std::string SkinInstallerAddress(const std::string& base) { return base + kSkinUpdatePath + kSkinInstallerName; }

}  // namespace tavora
