#pragma once
// Paths handed to the controller's add commands by whoever got them: names dropped on
// the playlist, the address typed into the address dialog.
//
// The hand-over is "put, then send the command": the drop handler puts each name under
// its kind and sends the command DroppedCommand() gives for it; the command takes the
// oldest path of its kind. One queue per kind keeps a drop of several names in order
// even when a command runs later than it was sent (a posted command, a worker).
//
//   for (name : dropped names) {
//       const DroppedKind kind = ClassifyDropped(name, isFolder);
//       DroppedPath::get().Put(kind, name);
//       dlg.SendCommand(DroppedCommand(kind));
//   }
//
// Threading: any thread; one mutex guards the queues.

#include <array>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
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
inline int DroppedCommand(DroppedKind kind) {
    switch (kind) {
    case DroppedKind::Folder: return cmd::OpenFolderDrag;
    case DroppedKind::M3uList: return cmd::OutFileLoadPlayTemp;
    case DroppedKind::Address: return cmd::CreateUrl;
    case DroppedKind::File: break;
    }
    return cmd::OpenFileDrag;
}

class DroppedPath {
public:
    static DroppedPath& get() {
        static DroppedPath slot;
        return slot;
    }

    void Put(DroppedKind kind, std::string path) {
        std::lock_guard<std::mutex> guard(lock_);
        queues_[Index(kind)].push_back(std::move(path));
    }

    // The oldest path of the kind, removed; nullopt when none is waiting.
    std::optional<std::string> Take(DroppedKind kind) {
        std::lock_guard<std::mutex> guard(lock_);
        auto& queue = queues_[Index(kind)];
        if (queue.empty()) return std::nullopt;
        std::string path = std::move(queue.front());
        queue.pop_front();
        return path;
    }

    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& queue : queues_) queue.clear();
    }

private:
    static size_t Index(DroppedKind kind) { return static_cast<size_t>(kind); }

    std::mutex lock_;
    std::array<std::deque<std::string>, 4> queues_;
};

}  // namespace tavora
