#pragma once
// The work behind the update dialog, without any window: fetch every item, check it,
// then install it (copy a module into "system") or run it (the skin installer).
//
// Before anything is installed or run each file's signature is checked
// (UpdateSignature.h), and a module must also fit this machine and the loader
// (LibraryCheck.h); a file that fails is deleted and counts as a failed download.
// After the first failure the remaining items are not fetched, since the player is
// told to exit; what was fetched and checked before it is still installed. A module is installed under a temporary name and renamed over the old
// file, so a player that has the old one mapped keeps running on it.
//
// Threading: Run() on a worker thread; the report's functions are called on that
// thread (the dialog forwards them to its own); Cancel() from any thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "UpdatePlan.h"
#include "UpdateSignature.h"

namespace tavora {

struct UpdateReport {
    std::function<void(const std::string& name, int number, int count)> item;  // before each download
    std::function<void(int percent)> progress;
    std::function<void()> clearTexts;                                          // downloads done
    std::function<void(const std::string& name, const std::string& why)> failed;
    // Starts the skin installer; false when it could not be started.
    std::function<bool(const std::string& path)> runInstaller;
};

struct UpdateJobOptions {
    std::chrono::seconds stallLimit{30};
    // How long the dialog stays after the installer was started.
    std::chrono::milliseconds afterInstaller{3000};
    // Whose signatures are accepted.
    UpdatePublicKey key = TrustedUpdateKey();
};

// Removes what a run that was killed left half done: the hidden transfer and check
// files in <install>/UpdateTemp and modules staged as "<name>.new" in "system".
// The player calls it at every start, before the modules are loaded.
void RemoveUnfinishedDownloads(const std::string& installFolder);

class UpdateJob {
public:
    UpdateJob(UpdateMode mode, std::vector<DownloadItem> items, std::string installFolder,
              UpdateJobOptions options = {});

    // True when every item was fetched, checked and installed (or started).
    bool Run(const UpdateReport& report);
    void Cancel();

private:
    bool Fetch(const DownloadItem& item, std::string& why);
    void Pause(std::chrono::milliseconds span);

    UpdateMode mode_;
    std::vector<DownloadItem> items_;
    std::string installFolder_;
    UpdateJobOptions options_;
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::condition_variable cancelled_;
    const UpdateReport* report_ = nullptr;
};

}  // namespace tavora
