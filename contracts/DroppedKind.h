#pragma once
// What a name dropped on the playlist is, and the controller command that adds it.
// The drop handler sends each name as that command's path, in the order dropped:
//
//   for (name : dropped names)
//       sink.Send(DroppedCommand(ClassifyDropped(name, isFolder)), CommandData::Path(name));
//
// Pure functions; any thread.

#include <string_view>

#include "Commands.h"
#include "MediaTypes.h"

namespace tavora {

enum class DroppedKind : int {
    Folder = 0,   // "Open Folder Drag": scan the folder
    M3uList = 1,  // "OutFile Load Play(temp)": append the list
    Address = 2,  // "Create Url": a PLS file or a typed address (the pending address)
    File = 3,     // "Open File Drag": one row, titled and measured at once
};

// What a dropped name is: a folder, an M3U or PLS list (the text after the last "."
// in the media table's M3U-list and PLS-list uses, all lower- or all upper-case), or any
// other file.
inline DroppedKind ClassifyDropped(std::string_view path, bool isFolder) {
    if (isFolder) return DroppedKind::Folder;
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    const std::string_view ext =
        dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash) ? std::string_view()
                                                                                         : path.substr(dot + 1);
    if (media::InUse(media::Use::M3uList, ext)) return DroppedKind::M3uList;
    if (media::InUse(media::Use::PlsList, ext)) return DroppedKind::Address;
    return DroppedKind::File;
}

// The controller command that takes a path of the kind.
inline cmd::Command DroppedCommand(DroppedKind kind) {
    switch (kind) {
    case DroppedKind::Folder: return cmd::OpenFolderDrag;
    case DroppedKind::M3uList: return cmd::OutFileLoadPlayTemp;
    case DroppedKind::Address: return cmd::CreateUrl;
    case DroppedKind::File: break;
    }
    return cmd::OpenFileDrag;
}

}  // namespace tavora
