#pragma once
// The playlist's bulk jobs, one implementation each, whichever command asks for them:
// the title-and-time pass from a row on (after every addition), re-titling all rows
// ("Sort Tag": titles only, times stay), M3U loads (the "List Load" dialog, "-list",
// dropped and opened lists), PLS loads (the "-pls" switch, dropped lists, addresses)
// and folder scans.
//
// Every job runs on BackgroundJobs under the lock of its kind ("TitleTimeRefresh",
// "TitleRefresh", "M3uLoad", "PlsLoad", "FolderScan"), so two runs of one kind never
// interleave, also when the work is part of another job (an "Add" job reading the
// lists among the chosen files loads them through LoadM3uWithin, which takes the same
// M3U lock). Jobs check the stop flag between rows and around their blocking calls
// (the PLS download ends when asked); a job that only adds rows already chosen does
// not stop halfway, because the list is saved after the jobs have ended.
//
// Threading: the Start functions from any thread; the hooks are called on the job's
// thread and must hand UI work to the UI thread themselves.

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "DisplayTitle.h"
#include "FolderScan.h"
#include "M3uLoader.h"
#include "PlsLoader.h"

namespace tavora {

class BackgroundJobs;
class PlaylistModel;
class Settings;
class StreamProbe;

struct PlaylistJobHooks {
    std::function<void()> listChanged;    // repaint the list control
    std::function<void(int row)> playRow;  // play the row from its start, on the UI thread
};

class PlaylistJobs {
public:
    // The title format is read from `settings` when a job starts.
    PlaylistJobs(BackgroundJobs& jobs, PlaylistModel& model, const StreamProbe& probe, const Settings& settings,
                 PlaylistJobHooks hooks);

    // Titles and times of the rows from `firstRow` to the last ("Sort Tag List" and
    // the second step of every addition). Rows that cannot be read keep their texts.
    void StartTitlePass(int firstRow);
    // Titles of all rows by `settings` ("Sort Tag"); times stay.
    void StartRetitleAll(const TitleSettings& settings);

    // An M3U load as a job of its own. Dialog mode replaces the list once the file has
    // opened; dropped mode may play its first row (see M3uLoader).
    void StartM3uLoad(M3uLoadMode mode, std::string path, std::atomic<bool>* playFirstAdded = nullptr,
                      std::function<void(const M3uLoadResult&)> done = {});
    // The same inside another job (on its thread), holding the shared M3U lock.
    M3uLoadResult LoadM3uWithin(M3uLoadMode mode, const std::string& path, std::atomic<bool>* playFirstAdded,
                                const std::atomic<bool>& stop);

    // A PLS list (local or downloaded); `done` runs on the job's thread unless the
    // player is closing.
    void StartPlsLoad(std::string source, std::function<void(const PlsLoadResult&)> done = {});

    // Folders are scanned one at a time in the order asked for; `done` runs on the
    // job's thread after a scan that was not stopped.
    void StartFolderScan(std::string folder, std::function<void(const FolderScanResult&)> done,
                         std::function<void(const std::string& archivePath)> archiveFound);

private:
    void ListChanged() const;
    M3uLoadServices M3uServices(const std::atomic<bool>& stop) const;

    BackgroundJobs& jobs_;
    PlaylistModel& model_;
    const StreamProbe& probe_;
    const Settings& settings_;
    PlaylistJobHooks hooks_;
    struct FolderRequest {
        std::string folder;
        std::function<void(const FolderScanResult&)> done;
        std::function<void(const std::string&)> archiveFound;
    };
    std::mutex queueLock_;
    std::deque<FolderRequest> folderQueue_;
};

}  // namespace tavora
