#include "PlaylistAdding.h"

#include "FolderScan.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {

int AddFileQuick(PlaylistModel& model, const std::string& path,
                 const std::function<void(const std::string& archivePath)>& archiveFound) {
    if (IsArchiveExtension(ExtensionOf(path))) {
        if (archiveFound) archiveFound(path);
        return -1;
    }
    return model.AddEntry(FileNameOf(path), "", path);
}

std::string CompleteTypedAddress(std::string_view typed) {
    for (std::string_view scheme : {"http://", "mms://", "Http://", "Mms://", "HTTP://", "MMS://"})
        if (typed.starts_with(scheme)) return std::string(typed);
    return "http://" + std::string(typed);
}


std::string AddressTitle(std::string_view address) {
    const size_t slash = address.rfind('/');
    return std::string(slash == std::string_view::npos ? address : address.substr(slash + 1));
}

}  // namespace tavora
