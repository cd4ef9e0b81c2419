#include "ArchiveLoading.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "ArchiveSongNames.h"
#include "EntryName.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {
namespace {

// Rows are handed to the model this many at a time.
constexpr size_t kRowBatch = 256;

void Log(const std::string& archivePath, const std::string& message) {
    std::fprintf(stderr, "tavoraplayer: archive %s: %s\n", archivePath.c_str(), message.c_str());
}

bool Stopped(const ArchiveTarget& target) { return target.stop && target.stop->load(); }

uint64_t FreeSpace(const ArchiveTarget& target) {
    return target.freeSpace ? target.freeSpace(target.tempFolder) : FreeSpaceOf(target.tempFolder);
}

// Where the modules write an entry: the temporary folder and the entry's cleaned name
// ("./a//b.mp3" is "a/b.mp3"); nothing for a name that must not be written.
std::optional<std::string> DestinationOf(const std::string& tempFolder, const std::string& name) {
    const auto parts = unpack::SafeComponents(name);
    if (!parts || parts->empty()) return std::nullopt;
    std::string path = tempFolder;
    for (const std::string& part : *parts) path += "/" + part;
    return path;
}

// A regular file, not a link to one.
bool IsExtracted(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An entry as the modules listed it, copied out of the callback.
struct Listed {
    std::string name;
    uint64_t size = 0;
    uint64_t position = 0;
    bool isFolder = false;
    bool isLink = false;
    bool isSafe = false;
};

Listed Copy(const TavoraArchiveEntry& e) {
    return {e.name ? e.name : "", e.size, e.position, e.isFolder != 0, e.isLink != 0, e.isSafe != 0};
}

int CollectListed(void* context, const TavoraArchiveEntry* entry) {
    auto* list = static_cast<std::pair<std::vector<Listed>*, const ArchiveTarget*>*>(context);
    list->first->push_back(Copy(*entry));
    return Stopped(*list->second) ? 0 : 1;
}

// Whether an entry may be written: not a link, not leaving the folder. Logs the refusal.
bool Writable(const std::string& archivePath, const Listed& e) {
    if (e.isLink) {
        Log(archivePath, "skipped a link: " + e.name);
        return false;
    }
    if (!e.isSafe) {
        Log(archivePath, "skipped a name leaving the temporary folder: " + e.name);
        return false;
    }
    return true;
}

// Adds the rows of one archive in batches.
class RowBatch {
public:
    RowBatch(PlaylistModel& model, ArchiveLoadResult& result) : model_(model), result_(result) {}
    ~RowBatch() { Flush(); }
    void Add(std::string title, std::string path) {
        rows_.push_back({std::move(title), std::string(kTimeArchive), std::move(path)});
        if (rows_.size() >= kRowBatch) Flush();
    }
    void Flush() {
        if (rows_.empty()) return;
        const int count = static_cast<int>(rows_.size());
        const int first = model_.AddEntries(std::move(rows_));
        rows_.clear();
        if (result_.firstRow < 0) result_.firstRow = first;
        result_.rowsAdded += count;
    }

private:
    PlaylistModel& model_;
    ArchiveLoadResult& result_;
    std::vector<NewEntry> rows_;
};

// The ZIP module extracts the whole archive in one call, so the room for all of it is
// checked before the call; the module checks each entry again as it writes.
uint64_t AddSize(uint64_t total, uint64_t size) {
    return size > std::numeric_limits<uint64_t>::max() - total ? std::numeric_limits<uint64_t>::max() : total + size;
}

}  // namespace

uint64_t FreeSpaceOf(const std::string& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) return 0;
    return static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
}

ArchiveLoadResult LoadZipArchive(const ZipFunctions& zip, const std::string& archivePath, const ArchiveTarget& target) {
    ArchiveLoadResult result;
    TavoraZip* handle = zip.OpenZip(archivePath.c_str(), target.tempFolder.c_str());
    if (!handle) {
        Log(archivePath, "not a readable ZIP archive");
        return result;
    }
    result.opened = true;
    struct Song {
        std::string name;
        std::string path;
    };
    std::vector<Song> songs;
    uint64_t total = 0;
    for (int more = zip.GotoFirstFile(handle); more && !Stopped(target); more = zip.GotoNextFile(handle)) {
        TavoraArchiveEntry info{};
        if (!zip.GetFileInfo(handle, &info)) continue;
        const Listed e = Copy(info);
        if (e.isFolder) continue;
        if (!Writable(archivePath, e)) {
            ++result.skipped;
            continue;
        }
        total = AddSize(total, e.size);
        if (!IsArchiveSongName(e.name)) continue;
        if (auto path = DestinationOf(target.tempFolder, e.name)) songs.push_back({e.name, std::move(*path)});
    }
    if (Stopped(target)) {
        zip.CloseZip(handle);
        return result;
    }
    if (total > FreeSpace(target)) {
        Log(archivePath, "not extracted: it needs " + std::to_string(total) + " bytes, more than the free space in " +
                             target.tempFolder);
        zip.CloseZip(handle);
        result.skipped += static_cast<int>(songs.size());
        return result;
    }
    if (zip.Unzip(handle) < 0) Log(archivePath, "could not be extracted");
    zip.CloseZip(handle);
    RowBatch rows(*target.model, result);
    for (Song& song : songs) {
        if (!IsExtracted(song.path)) {
            Log(archivePath, "not extracted: " + song.name);
            ++result.skipped;
            continue;
        }
        rows.Add(std::move(song.name), std::move(song.path));
    }
    rows.Flush();
    return result;
}

ArchiveLoadResult LoadRarArchive(const RarFunctions& rar, const std::string& archivePath, const ArchiveTarget& target) {
    ArchiveLoadResult result;
    std::vector<Listed> entries;
    std::pair<std::vector<Listed>*, const ArchiveTarget*> context{&entries, &target};
    if (rar.UnRar_list(archivePath.c_str(), CollectListed, &context) < 0) {
        Log(archivePath, "not a readable RAR archive");
        return result;
    }
    result.opened = true;
    RowBatch rows(*target.model, result);
    for (const Listed& e : entries) {
        if (Stopped(target)) break;
        if (e.name.size() > kRarNameLimit) {
            Log(archivePath, "[name too long] " + e.name.substr(0, 64) + "...");
            ++result.skipped;
            continue;
        }
        if (!Writable(archivePath, e)) {
            ++result.skipped;
            continue;
        }
        // A folder listed before its files is made first; files make their folders anyway.
        const bool song = !e.isFolder && IsArchiveSongName(e.name);
        if (!e.isFolder && e.size > FreeSpace(target)) {
            Log(archivePath, "not extracted, larger than the free space: " + e.name);
            ++result.skipped;
            continue;
        }
        const bool written = rar.UnRar_extract(e.name.c_str(), archivePath.c_str(), kRarPassword,
                                               target.tempFolder.c_str()) != 0;
        if (!written) {
            Log(archivePath, "not extracted: " + e.name);
            ++result.skipped;
            continue;
        }
        if (!song) continue;
        if (auto path = DestinationOf(target.tempFolder, e.name)) rows.Add(e.name, std::move(*path));
    }
    rows.Flush();
    return result;
}

ArchiveLoadResult LoadAlzArchive(const AlzFunctions& alz, const std::string& archivePath, const ArchiveTarget& target) {
    ArchiveLoadResult result;
    TavoraAlz* handle = alz.UnAlzOpen(archivePath.c_str());
    if (!handle) {
        Log(archivePath, "not a readable ALZ archive");
        return result;
    }
    std::vector<Listed> entries;
    std::pair<std::vector<Listed>*, const ArchiveTarget*> context{&entries, &target};
    if (alz.UnAlzGetFileList(handle, CollectListed, &context) < 0) {
        Log(archivePath, "not a readable ALZ archive");
        alz.UnAlzClose(handle);
        return result;
    }
    result.opened = true;
    RowBatch rows(*target.model, result);
    for (const Listed& e : entries) {
        if (Stopped(target)) break;
        if (!Writable(archivePath, e)) {
            ++result.skipped;
            continue;
        }
        if (!e.isFolder && e.size > FreeSpace(target)) {
            Log(archivePath, "not extracted, larger than the free space: " + e.name);
            ++result.skipped;
            continue;
        }
        if (!alz.UnAlzSetCurrentFile(handle, e.position) ||
            !alz.UnAlzExtractCurrentFile(handle, target.tempFolder.c_str())) {
            Log(archivePath, "not extracted: " + e.name);
            ++result.skipped;
            continue;
        }
        // A folder is made, but is no song to play.
        if (e.isFolder) continue;
        rows.Add(alz.GetszDestFileName(handle), alz.GetszDestPathFileName(handle));
    }
    rows.Flush();
    alz.UnAlzClose(handle);
    return result;
}

}  // namespace tavora
