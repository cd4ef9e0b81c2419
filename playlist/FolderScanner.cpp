#include "FolderScanner.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {
namespace fs = std::filesystem;

bool IsFolderSongExtension(std::string_view ext) {
    for (std::string_view song : {"mp3", "ogg", "wma", "wav", "asf"})
        if (ExtensionIs(ext, song)) return true;
    return false;
}

bool IsArchiveExtension(std::string_view ext) {
    return ExtensionIs(ext, "zip") || ExtensionIs(ext, "rar") || ExtensionIs(ext, "alz");
}

FolderScanner::FolderScanner(PlaylistModel& model) : model_(model), thread_([this] { Run(); }) {}

FolderScanner::~FolderScanner() {
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
        requests_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void FolderScanner::Scan(std::string folder, std::function<void(const FolderScanResult&)> done,
                         std::function<void(const std::string&)> archiveFound) {
    {
        std::lock_guard lock(lock_);
        if (stopping_) return;
        requests_.push_back({std::move(folder), std::move(done), std::move(archiveFound)});
    }
    wake_.notify_one();
}

void FolderScanner::WaitIdle() {
    std::unique_lock lock(lock_);
    idle_.wait(lock, [this] { return stopping_ || (requests_.empty() && !busy_); });
}

void FolderScanner::Run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(lock_);
            busy_ = false;
            idle_.notify_all();
            wake_.wait(lock, [this] { return stopping_ || !requests_.empty(); });
            if (stopping_) return;
            request = std::move(requests_.front());
            requests_.pop_front();
            busy_ = true;
        }
        const FolderScanResult result = ScanFolder(model_, request.folder, request.archiveFound, &stopping_);
        if (request.done) request.done(result);
    }
}

FolderScanResult ScanFolder(PlaylistModel& model, const std::string& top,
                            const std::function<void(const std::string&)>& archiveFound,
                            const std::atomic<bool>* stop) {
    FolderScanResult result;
    // Breadth first: a folder's songs go in before anything below it.
    std::deque<std::string> folders{top};
    std::set<std::pair<dev_t, ino_t>> seen;
    while (!folders.empty()) {
        if (stop && stop->load()) break;
        std::string folder = std::move(folders.front());
        folders.pop_front();
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (!seen.insert({st.st_dev, st.st_ino}).second) continue;

        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
        std::sort(entries.begin(), entries.end(),
                  [](const fs::directory_entry& a, const fs::directory_entry& b) {
                      return a.path().filename().native() < b.path().filename().native();
                  });

        std::vector<NewEntry> songs;
        for (const fs::directory_entry& entry : entries) {
            const std::string name = entry.path().filename().string();
            const std::string path = (folder.ends_with('/') ? folder : folder + "/") + name;
            std::error_code statError;
            if (entry.is_directory(statError)) {
                if (!name.starts_with('.')) folders.push_back(path);
                continue;
            }
            const std::string_view ext = ExtensionOf(name);
            if (IsFolderSongExtension(ext)) {
                songs.push_back({name, std::string(), path});
            } else if (IsArchiveExtension(ext) && archiveFound) {
                archiveFound(path);
            }
        }
        if (!songs.empty()) {
            const int count = static_cast<int>(songs.size());
            const int first = model.AddEntries(std::move(songs));
            if (result.firstRow < 0) result.firstRow = first;
            result.rowsAdded += count;
        }
    }
    return result;
}

}  // namespace tavora
