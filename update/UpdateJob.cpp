#include "UpdateJob.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "AudioLibrary.h"
#include "DownloadFile.h"
#include "LibraryCheck.h"

namespace tavora {
namespace fs = std::filesystem;

UpdateJob::UpdateJob(UpdateMode mode, std::vector<DownloadItem> items, std::string installFolder,
                     UpdateJobOptions options)
    : mode_(mode), items_(std::move(items)), installFolder_(std::move(installFolder)), options_(options) {}

void RemoveUnfinishedDownloads(const std::string& installFolder) {
    if (installFolder.empty()) return;
    // Every name a transfer or a check uses begins with a dot (DownloadFile.h,
    // UpdateSignature.h); what was complete has its own name. Modules are staged as
    // "<name>.new" in "system".
    auto sweep = [](const fs::path& folder, auto leftover) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (leftover(it->path().filename().string()) && it->is_regular_file(kind)) fs::remove(it->path(), kind);
        }
    };
    sweep(fs::path(installFolder) / kUpdateTempFolder,
          [](const std::string& name) { return name.size() > 1 && name[0] == '.'; });
    sweep(fs::path(installFolder) / "system", [](const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".new") == 0;
    });
}

void UpdateJob::Cancel() {
    std::lock_guard<std::mutex> guard(mutex_);
    cancel_ = true;
    cancelled_.notify_all();
}

void UpdateJob::Pause(std::chrono::milliseconds span) {
    std::unique_lock<std::mutex> lock(mutex_);
    cancelled_.wait_for(lock, span, [this] { return cancel_.load(); });
}

bool UpdateJob::Fetch(const DownloadItem& item, std::string& why) {
    DownloadOptions options;
    options.stallLimit = options_.stallLimit;
    options.cancel = &cancel_;
    options.progress = report_->progress;
    const DownloadResult got = DownloadSignedFile(item.address, item.downloadTarget, item.name, options, options_.key);
    if (!got.ok) {
        why = got.error;
        return false;
    }
    if (item.action == ItemAction::Copy) why = CheckLibrary(item.downloadTarget, AudioLibrary::EntryPointNames(item.name));
    if (why.empty()) return true;
    std::error_code ec;
    fs::remove(item.downloadTarget, ec);  // never installed
    return false;
}

bool UpdateJob::Run(const UpdateReport& report) {
    report_ = &report;
    std::error_code ec;
    // The download folder is made in both modes: without it every download would fail.
    fs::create_directories(fs::path(installFolder_) / kUpdateTempFolder, ec);
    if (mode_ == UpdateMode::System) fs::create_directories(fs::path(installFolder_) / "system", ec);

    const int count = static_cast<int>(items_.size());
    std::vector<bool> fetched(items_.size(), false);
    bool allFetched = true;
    for (size_t i = 0; i < items_.size() && !cancel_; ++i) {
        if (report.item) report.item(items_[i].name, static_cast<int>(i) + 1, count);
        if (report.progress) report.progress(0);
        std::string why;
        fetched[i] = Fetch(items_[i], why);
        if (!fetched[i]) {
            allFetched = false;
            if (!cancel_ && report.failed) report.failed(items_[i].name, why);
            break;
        }
    }
    if (report.clearTexts) report.clearTexts();

    bool allDone = allFetched && !cancel_;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!fetched[i]) continue;
        const DownloadItem& item = items_[i];
        if (item.action == ItemAction::Copy) {
            const std::string staged = item.destination + ".new";
            fs::copy_file(item.downloadTarget, staged, fs::copy_options::overwrite_existing, ec);
            // The download was made private (0600); a module reads as the installed ones do.
            if (!ec) fs::permissions(staged, fs::perms(0755), ec);
            if (!ec) fs::rename(staged, item.destination, ec);
            if (ec) {
                fs::remove(staged, ec);
                allDone = false;
            }
        } else if (!cancel_) {
            ::chmod(item.destination.c_str(), 0755);
            const bool started = report.runInstaller && report.runInstaller(item.destination);
            allDone = allDone && started;
            Pause(options_.afterInstaller);
        }
    }
    report_ = nullptr;
    return allDone;
}

}  // namespace tavora
