#pragma once
// Adding folders: every song below a folder becomes a row.
//
// Order: a folder's own songs are added before the songs of its subfolders, and
// subfolders are visited in the order they were found, level by level; inside a
// folder, entries are taken in name order. Song files are those with the extension
// mp3, ogg, wma, wav or asf in all lower-case or all upper-case ("a.mp3", "b.MP3";
// not "c.Mp3", and not mp1, mp2 or cda, which only the file dialogs offer). ZIP, RAR
// and ALZ archives (same case rule) are handed to the archive reader. Folders whose
// name begins with "." are skipped, and a folder reached twice (through a link) is
// scanned once.
//
// Rows are added a folder at a time, on the thread that scans (a job of the playlist's
// job layer in the program).

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace tavora {

class PlaylistModel;

// True for the song extensions a folder scan takes (the media table's folder-song use).
bool IsFolderSongExtension(std::string_view ext);
// True for the archive extensions (the media table's archive use, all lower- or all
// upper-case).
bool IsArchiveExtension(std::string_view ext);

struct FolderScanResult {
    int firstRow = -1;  // the first row this scan added (-1 when none)
    int rowsAdded = 0;
};

// Scans the tree below `folder` on the calling thread, adding its songs a folder at a
// time; stops early when `stop` becomes true.
FolderScanResult ScanFolder(PlaylistModel& model, const std::string& folder,
                            const std::function<void(const std::string& archivePath)>& archiveFound,
                            const std::atomic<bool>* stop = nullptr);

}  // namespace tavora
