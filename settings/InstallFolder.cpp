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

std::string ResolveInstallFolder(const std::string& stored, const std::string& derived) {
    std::error_code ec;
    const bool storedUsable = !stored.empty() && stored != kMissingString && std::filesystem::is_directory(stored, ec);
    if (storedUsable || derived.empty()) return stored == kMissingString ? std::string() : stored;
    return derived;
}

std::string InstallFolder() {
    const std::string stored = ReadRegString(keys::kRoot, keys::kInstallDir);
    std::string folder = ResolveInstallFolder(stored, DerivedInstallFolder());
    if (!folder.empty() && folder != stored) WriteRegString(keys::kRoot, keys::kInstallDir, folder);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string InstallPath(const std::string& relative) {
    const std::string folder = InstallFolder();
    if (folder.empty()) return {};
    return folder + "/" + relative;
}

}  // namespace tavora
