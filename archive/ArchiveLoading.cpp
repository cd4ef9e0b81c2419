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

// Adds an archive's rows, each as soon as its file is complete.
class Rows {
public:
    Rows(const ArchiveTarget& target, ArchiveLoadResult& result) : target_(target), result_(result) {}
    void Add(std::string title, std::string path) {
        std::vector<NewEntry> row;
        row.push_back({std::move(title), std::string(kTimeArchive), std::move(path)});
        const int at = target_.model->AddEntries(std::move(row));
        ++result_.rowsAdded;
        if (result_.firstRow >= 0) return;
        result_.firstRow = at;
        if (target_.firstRowAdded) target_.firstRowAdded(at);
    }

private:
    const ArchiveTarget& target_;
    ArchiveLoadResult& result_;
};

// Why a module did not extract an entry, for the log.
std::string NotExtracted(const std::string& name, const char* failure) {
    if (failure && std::string(failure) == "encrypted")
        return "not extracted, encrypted (RAR decryption is not available, not even with the program's password): " +
               name;
    return "not extracted" + (failure && *failure ? " (" + std::string(failure) + ")" : std::string()) + ": " + name;
}

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
    // The module extracts in archive order, the order the songs were listed in: each
    // song's row follows its file.
    struct Progress {
        const std::string& archivePath;
        const ArchiveTarget& target;
        ArchiveLoadResult& result;
        Rows rows;
        std::vector<Song>& songs;
        size_t next = 0;
    } progress{archivePath, target, result, Rows(target, result), songs};
    const auto done = [](void* context, const TavoraArchiveEntry* entry, const char* failure) -> int {
        auto& p = *static_cast<Progress*>(context);
        if (p.next < p.songs.size() && entry->name && p.songs[p.next].name == entry->name) {
            Song& song = p.songs[p.next++];
            if (!failure && IsExtracted(song.path)) {
                p.rows.Add(std::move(song.name), std::move(song.path));
            } else {
                Log(p.archivePath, NotExtracted(song.name, failure));
                ++p.result.skipped;
            }
        }
        return Stopped(p.target) ? 0 : 1;
    };
    if (zip.UnzipEach(handle, done, &progress) < 0) Log(archivePath, "could not be extracted");
    zip.CloseZip(handle);
    if (Stopped(target)) return result;
    for (size_t i = progress.next; i < songs.size(); ++i) {
        Log(archivePath, "not extracted: " + songs[i].name);
        ++result.skipped;
    }
    return result;
}

ArchiveLoadResult LoadRarArchive(const RarFunctions& rar, const std::string& archivePath, const ArchiveTarget& target) {
    ArchiveLoadResult result;
    struct Pass {
        const std::string& archivePath;
        const ArchiveTarget& target;
        ArchiveLoadResult& result;
        Rows rows;
    } pass{archivePath, target, result, Rows(target, result)};
    // Which entries are written: not over-long names, not leaving the folder, not larger
    // than the room left. A folder listed before its files is made first; files make
    // their folders anyway.
    const auto choose = [](void* context, const TavoraArchiveEntry* entry) -> int {
        auto& p = *static_cast<Pass*>(context);
        if (Stopped(p.target)) return -1;
        const Listed e = Copy(*entry);
        if (e.name.size() > kRarNameLimit) {
            Log(p.archivePath, "[name too long] " + e.name.substr(0, 64) + "...");
            ++p.result.skipped;
            return 0;
        }
        if (!Writable(p.archivePath, e)) {
            ++p.result.skipped;
            return 0;
        }
        if (!e.isFolder && e.size > FreeSpace(p.target)) {
            Log(p.archivePath, "not extracted, larger than the free space: " + e.name);
            ++p.result.skipped;
            return 0;
        }
        return 1;
    };
    const auto done = [](void* context, const TavoraArchiveEntry* entry, const char* failure) -> int {
        auto& p = *static_cast<Pass*>(context);
        const Listed e = Copy(*entry);
        if (failure) {
            Log(p.archivePath, NotExtracted(e.name, failure));
            ++p.result.skipped;
        } else if (!e.isFolder && IsArchiveSongName(e.name)) {
            if (auto path = DestinationOf(p.target.tempFolder, e.name)) p.rows.Add(e.name, std::move(*path));
        }
        return Stopped(p.target) ? 0 : 1;
    };
    if (rar.UnRar_extract_each(archivePath.c_str(), kRarPassword, target.tempFolder.c_str(), choose, done, &pass) < 0) {
        Log(archivePath, "not a readable RAR archive");
        return result;
    }
    result.opened = true;
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
    Rows rows(target, result);
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
    alz.UnAlzClose(handle);
    return result;
}

}  // namespace tavora
