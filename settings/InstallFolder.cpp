#include "InstallFolder.h"

#include <unistd.h>

#include <filesystem>

#include "Registry.h"
#include "RegistryKeys.h"

namespace tavora {

std::string DerivedInstallFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const auto candidate = self.parent_path().parent_path() / "share" / "TavoraPlayer";
    if (std::filesystem::is_directory(candidate / "skin", ec) ||
        std::filesystem::is_directory(candidate / "system", ec))
        return candidate.lexically_normal().string();
    return {};
}

std::string InstallFolder() {
    std::string folder = ReadRegString(keys::kRoot, keys::kInstallDir);
    if (folder == kMissingString || folder.empty()) {
        folder = DerivedInstallFolder();
        if (!folder.empty()) WriteRegString(keys::kRoot, keys::kInstallDir, folder);
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string InstallPath(const std::string& relative) {
    const std::string folder = InstallFolder();
    if (folder.empty()) return {};
    return folder + "/" + relative;
}

}  // namespace tavora
