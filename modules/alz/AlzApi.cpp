// "UnAlzipper.so": lists and extracts ALZ archives with our own reader (AlzHeaders.h
// describes the format walk; AlzVolumes.h the volume sets; AlzDecoder.h the data).

#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "AlzDecoder.h"
#include "AlzHeaders.h"
#include "AlzVolumes.h"
#include "EntryName.h"
#include "SafeFile.h"
#include "tavora/archive_api.h"

using namespace tavora;

struct TavoraAlz {
    std::string path;
    alz::VolumeSet stream;
    std::optional<alz::AlzEntry> current;
    std::string password;
    std::string destName;
    std::string destPath;
};

namespace {

void Report(const TavoraAlz* alz, const std::string& message) {
    std::fprintf(stderr, "UnAlzipper: %s: %s\n", alz->path.c_str(), message.c_str());
}

bool ExtractFile(TavoraAlz* alz, const alz::AlzEntry& entry, const std::string& destFolder) {
    unpack::SafeFile file;
    std::string error;
    // What can be refused without decoding is refused before any folder is made.
    if (!alz::CanDecode(entry, alz->password, &error)) {
        Report(alz, entry.name + ": " + error);
        return false;
    }
    if (!file.Open(destFolder, entry.name, entry.size, true)) {
        Report(alz, entry.name + ": " + file.Error());
        return false;
    }
    if (!alz::DecodeAlzEntry(alz->stream, entry, alz->password, file, &error) || !file.Commit()) {
        Report(alz, entry.name + ": " + (error.empty() ? file.Error() : error));
        return false;
    }
    alz->destName = file.FileName();
    alz->destPath = file.Path();
    return true;
}

}  // namespace

extern "C" {

TavoraAlz* UnAlzOpen(const char* archivePath) {
    if (!archivePath) return nullptr;
    auto* alz = new TavoraAlz;
    alz->path = archivePath;
    std::string error;
    if (!alz->stream.Open(archivePath, &error)) {
        Report(alz, error);
        delete alz;
        return nullptr;
    }
    if (!alz->stream.Warning().empty()) Report(alz, alz->stream.Warning());
    return alz;
}

int UnAlzGetFileList(TavoraAlz* alz, TavoraArchiveEntryFn fn, void* context) {
    if (!alz) return -1;
    uint64_t offset = alz::kFirstRecord;
    int count = 0;
    alz::AlzEntry entry;
    std::string error;
    for (;;) {
        const alz::RecordResult r = alz::ReadRecord(alz->stream, &offset, &entry, &error);
        if (r == alz::RecordResult::End) return count;
        if (r == alz::RecordResult::Damaged) {
            Report(alz, error);
            return count == 0 ? -1 : count;
        }
        TavoraArchiveEntry info{};
        info.name = entry.name.c_str();
        info.size = entry.size;
        info.position = entry.headerOffset;
        info.isFolder = entry.IsFolder();
        info.isLink = entry.IsLink();
        info.isEncrypted = entry.IsEncrypted();
        info.isSafe = !entry.IsLink() && unpack::SafeComponents(entry.name).has_value();
        if (count == std::numeric_limits<int>::max()) return count;
        ++count;
        if (fn && !fn(context, &info)) return count;
    }
}

int UnAlzSetCurrentFile(TavoraAlz* alz, uint64_t position) {
    if (!alz) return 0;
    alz->current.reset();
    if (position < alz::kFirstRecord) return 0;
    uint64_t offset = position;
    alz::AlzEntry entry;
    std::string error;
    if (alz::ReadRecord(alz->stream, &offset, &entry, &error) != alz::RecordResult::Entry ||
        entry.headerOffset != position)
        return 0;
    alz->current = std::move(entry);
    return 1;
}

void UnAlzSetPassword(TavoraAlz* alz, const char* password) {
    if (alz) alz->password = password ? password : "";
}

int UnAlzExtractCurrentFile(TavoraAlz* alz, const char* destFolder) {
    if (!alz) return 0;
    alz->destName.clear();
    alz->destPath.clear();
    if (!alz->current || !destFolder) return 0;
    const alz::AlzEntry& entry = *alz->current;
    const auto parts = unpack::SafeComponents(entry.name);
    if (entry.IsLink() || !parts) {
        Report(alz, "skipped (a link or a name leaving the folder): " + entry.name);
        return 0;
    }
    if (entry.IsFolder()) {
        std::string error;
        if (!unpack::MakeSafeFolder(destFolder, entry.name, &error)) {
            Report(alz, error);
            return 0;
        }
        alz->destName = parts->back();
        alz->destPath = destFolder;
        for (const auto& part : *parts) alz->destPath += "/" + part;
        return 1;
    }
    return ExtractFile(alz, entry, destFolder);
}

const char* GetszDestFileName(TavoraAlz* alz) { return alz ? alz->destName.c_str() : ""; }
const char* GetszDestPathFileName(TavoraAlz* alz) { return alz ? alz->destPath.c_str() : ""; }

void UnAlzClose(TavoraAlz* alz) { delete alz; }

}  // extern "C"
