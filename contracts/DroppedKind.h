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

namespace tavora {

enum class DroppedKind : int {
    Folder = 0,   // "Open Folder Drag": scan the folder
    M3uList = 1,  // "OutFile Load Play(temp)": append the list
    Address = 2,  // "Create Url": a PLS file or a typed address (the pending address)
    File = 3,     // "Open File Drag": one row, titled and measured at once
};

// What a dropped name is: a folder, an "m3u" or "pls" list (the text after the last
// ".", all lower-case or all upper-case), or any other file.
inline DroppedKind ClassifyDropped(std::string_view path, bool isFolder) {
    if (isFolder) return DroppedKind::Folder;
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    const std::string_view ext =
        dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash) ? std::string_view()
                                                                                         : path.substr(dot + 1);
    if (ext == "m3u" || ext == "M3U") return DroppedKind::M3uList;
    if (ext == "pls" || ext == "PLS") return DroppedKind::Address;
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
