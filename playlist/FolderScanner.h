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
// Threading: one scanning thread per scanner, however deep the tree. Scan() may be
// called from any thread; requests are scanned one after another in the order they
// were made. Rows are added a folder at a time. The callbacks run on the scanning
// thread. The destructor stops after the entry in hand and joins the thread.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tavora {

class PlaylistModel;

// True for the song extensions a folder scan takes.
bool IsFolderSongExtension(std::string_view ext);
// True for "zip", "rar", "alz" (all lower- or all upper-case).
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

// One scanning thread that scans the folders asked for, one tree after another.
class FolderScanner {
public:
    explicit FolderScanner(PlaylistModel& model);
    ~FolderScanner();
    FolderScanner(const FolderScanner&) = delete;
    FolderScanner& operator=(const FolderScanner&) = delete;

    // Queues the tree below `folder`. `done` runs when it has been scanned (the
    // title-and-time pass starts there; "Open Folder Play" plays firstRow).
    void Scan(std::string folder, std::function<void(const FolderScanResult&)> done = {},
              std::function<void(const std::string& archivePath)> archiveFound = {});

    // Blocks until every queued scan has finished.
    void WaitIdle();

private:
    struct Request {
        std::string folder;
        std::function<void(const FolderScanResult&)> done;
        std::function<void(const std::string&)> archiveFound;
    };
    void Run();

    PlaylistModel& model_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Request> requests_;
    bool busy_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tavora
