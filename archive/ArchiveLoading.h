#pragma once
// Listing an archive and extracting it into the temporary folder, one archive kind per
// function: what the listing jobs run (ArchiveReader.h starts them).
//
// Every entry's name comes from an untrusted archive. Entries that would be written
// outside the temporary folder (absolute names, "..", links, names through a symbolic
// link) are skipped and logged on stderr, as are entries larger than the free space
// left in the folder. Each extracted song becomes a row titled with its entry name
// (ALZ: the extracted file's name) with the time "압축" and the extracted file as its
// path; songs are the entries IsArchiveSongName() accepts (ZIP, RAR) or every file
// (ALZ). Files that are not songs are extracted as well and left to the exit sweep.
// A song whose extraction failed gets no row: it could never be played.
//
// Each song's row is added as soon as its file is complete (never before), so the list
// fills while a large archive is still being extracted; `firstRowAdded` hears of the
// first. Titles and times are not read: the row keeps its entry name and "압축" until it
// is first played. A RAR archive is extracted in one pass over it (a solid one is
// decoded once); an entry that is not extracted is logged with the reason (encrypted
// ones say so: RAR decryption is not available, whatever the password).
//
// Threading: any thread; the model is thread-safe. The functions check `stop` between
// entries (an extraction under way finishes first).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "ArchiveFunctions.h"
#include "PlaylistEntry.h"

namespace tavora {

class PlaylistModel;

// The password handed to the RAR module: a fixed word of eight letters, so archives
// encrypted with another password do not extract.
inline constexpr const char* kRarPassword = "tavorapw";

// Longer RAR entry names are skipped.
inline constexpr size_t kRarNameLimit = 254;

struct ArchiveTarget {
    PlaylistModel* model = nullptr;
    std::string tempFolder;  // the install folder's "Temp", no trailing "/"
    const std::atomic<bool>* stop = nullptr;
    // Bytes free in a folder; the file system's own count unless a test says otherwise.
    std::function<uint64_t(const std::string& folder)> freeSpace;
    // Called on the loading thread once the archive's first row is in the model.
    std::function<void(int row)> firstRowAdded;
};

struct ArchiveLoadResult {
    bool opened = false;  // the archive could be read at all
    int firstRow = -1;    // the first row added, -1 for none
    int rowsAdded = 0;
    int skipped = 0;      // entries left out: unsafe names, links, no room, failed extraction
};

ArchiveLoadResult LoadZipArchive(const ZipFunctions& zip, const std::string& archivePath, const ArchiveTarget& target);
ArchiveLoadResult LoadRarArchive(const RarFunctions& rar, const std::string& archivePath, const ArchiveTarget& target);
ArchiveLoadResult LoadAlzArchive(const AlzFunctions& alz, const std::string& archivePath, const ArchiveTarget& target);

// Bytes the file system lets this user write below `folder` (0 when it cannot be told).
uint64_t FreeSpaceOf(const std::string& folder);

}  // namespace tavora
