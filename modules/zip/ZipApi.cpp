// "UnZip.so": lists a ZIP archive entry by entry and extracts it into a destination
// folder, through libarchive. Names without the UTF-8 flag are decoded as CP949.

#include <cstdio>
#include <string>

#include "EntryName.h"
#include "Libarchive.h"
#include "SafeFile.h"
#include "tavora/archive_api.h"

using namespace tavora::unpack;

struct TavoraZip {
    std::string path;
    std::string destFolder;
    ArchivePtr listing;
    archive_entry* current = nullptr;
    uint64_t index = 0;
    std::string name;
};

namespace {

void Report(const std::string& archivePath, const std::string& message) {
    std::fprintf(stderr, "UnZip: %s: %s\n", archivePath.c_str(), message.c_str());
}

std::string ErrorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "damaged archive";
}

bool ReadNext(TavoraZip* zip) {
    zip->current = nullptr;
    if (!zip->listing) return false;
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(zip->listing.get(), &entry);
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        if (r != ARCHIVE_EOF) Report(zip->path, ErrorText(zip->listing.get()));
        zip->listing.reset();
        return false;
    }
    zip->current = entry;
    zip->name = EntryName(entry);
    return true;
}

// Extracts one entry; `failure` says why a file was not (empty for a folder or success).
bool ExtractEntry(TavoraZip* zip, archive* a, archive_entry* entry, const TavoraArchiveEntry& info,
                  std::string* failure) {
    const std::string name = info.name;
    std::string error;
    if (!info.isSafe) {
        Report(zip->path, "skipped (a link, a special file or a name leaving the folder): " + name);
        *failure = "unsafe";
        return false;
    }
    if (info.isFolder) {
        if (!MakeSafeFolder(zip->destFolder, name, &error)) Report(zip->path, error);
        return false;
    }
    SafeFile file;
    const bool sizeKnown = archive_entry_size_is_set(entry);
    if (!file.Open(zip->destFolder, name, info.size, sizeKnown) || !CopyEntryData(a, file, &error) ||
        !file.Commit()) {
        *failure = error.empty() ? file.Error() : error;
        Report(zip->path, name + ": " + *failure);
        return false;
    }
    return true;
}

}  // namespace

extern "C" {

TavoraZip* OpenZip(const char* archivePath, const char* destFolder) {
    if (!archivePath) return nullptr;
    Utf8ThreadLocale locale;
    std::string error;
    ArchivePtr a = OpenArchive({archivePath}, ArchiveKind::Zip, &error);
    if (!a) {
        Report(archivePath, error);
        return nullptr;
    }
    auto* zip = new TavoraZip;
    zip->path = archivePath;
    zip->destFolder = destFolder ? destFolder : "";
    zip->listing = std::move(a);
    return zip;
}

int GotoFirstFile(TavoraZip* zip) {
    if (!zip) return 0;
    Utf8ThreadLocale locale;
    // A listing always starts from the beginning: reopen when it has moved on.
    if (zip->index != 0 || !zip->listing) {
        std::string error;
        zip->listing = OpenArchive({zip->path}, ArchiveKind::Zip, &error);
    }
    zip->index = 0;
    const bool ok = ReadNext(zip);
    if (ok) zip->index = 1;
    return ok;
}

int GotoNextFile(TavoraZip* zip) {
    if (!zip || zip->index == 0) return 0;
    Utf8ThreadLocale locale;
    const bool ok = ReadNext(zip);
    if (ok) ++zip->index;
    return ok;
}

int GetFileInfo(TavoraZip* zip, TavoraArchiveEntry* info) {
    if (!zip || !info || !zip->current) return 0;
    DescribeEntry(zip->current, zip->name, zip->index - 1, info);
    return 1;
}

int Unzip(TavoraZip* zip) { return UnzipEach(zip, nullptr, nullptr); }

int UnzipEach(TavoraZip* zip, TavoraEntryDoneFn done, void* context) {
    if (!zip) return -1;
    Utf8ThreadLocale locale;
    std::string error;
    ArchivePtr a = OpenArchive({zip->path}, ArchiveKind::Zip, &error);
    if (!a) {
        Report(zip->path, error);
        return -1;
    }
    int extracted = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            Report(zip->path, ErrorText(a.get()));
            break;
        }
        const std::string name = EntryName(entry);
        TavoraArchiveEntry info{};
        DescribeEntry(entry, name, 0, &info);
        std::string failure;
        const bool written = ExtractEntry(zip, a.get(), entry, info, &failure);
        if (written) ++extracted;
        if (done && !info.isFolder && !done(context, &info, written ? nullptr : failure.c_str())) break;
    }
    return extracted;
}

void CloseZip(TavoraZip* zip) { delete zip; }

}  // extern "C"
