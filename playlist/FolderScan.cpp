#include "FolderScan.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "MediaTypes.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {
namespace fs = std::filesystem;

bool IsFolderSongExtension(std::string_view ext) {
    return media::InUse(media::Use::FolderSong, ext);
}

bool IsArchiveExtension(std::string_view ext) {
    return media::InUse(media::Use::ArchiveFile, ext);
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
