#include "Associations.h"

#include "ClassesKeys.h"
#include "DesktopAssociations.h"

namespace tavora {

void RegisterAssociations(const ConnectFlags& flags, const std::string& programPath) {
    WriteClassesKeys(flags, programPath);
    ApplyDesktopAssociations(flags, programPath, UserDesktopFolders());
}

void NotifyAssociationsChanged() { RefreshDesktopDatabases(UserDesktopFolders()); }

}  // namespace tavora
