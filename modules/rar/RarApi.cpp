// "UnRar.so": lists RAR archives (a single archive from its headers, a volume set
// through libarchive) and decodes their entries (RarDecoder.h), into memory for
// DecodeRarEntry or into a destination folder, one entry or a whole archive at a time.

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "EntryName.h"
#include "Libarchive.h"
#include "RarDecoder.h"
#include "Rar4Headers.h"
#include "Rar5Headers.h"
#include "RarLog.h"
#include "RarVolumes.h"
#include "SafeFile.h"
#include "tavora/archive_api.h"

using namespace tavora;

namespace {

// Decoding into memory is for songs; anything larger than this is refused rather than
// risking the process.
constexpr uint64_t kMaxMemoryEntry = 1ull << 30;

std::string Text(const char* s) { return s ? s : ""; }

void LogFailure(const std::string& name, uint64_t allocated) {
    TAVORA_RAR_LOG("Error - couldn't extract >" + name + "< and allocated " + std::to_string(allocated) +
                   " Bytes of unused memory!");
}

int ListRar4(const char* archivePath, TavoraArchiveEntryFn fn, void* context) {
    int count = 0;
    const unrar::WalkStatus status = unrar::WalkRar4(archivePath, [&](const unrar::Rar4Entry& entry) {
        TavoraArchiveEntry info{};
        info.name = entry.name.c_str();
        info.size = entry.size;
        info.position = static_cast<uint64_t>(count);
        info.isFolder = entry.isFolder;
        info.isLink = entry.isLink;
        info.isEncrypted = entry.isEncrypted;
        info.isSafe = !entry.isLink && unpack::SafeComponents(entry.name).has_value();
        ++count;
        return count < std::numeric_limits<int>::max() && (!fn || fn(context, &info));
    });
    if (status == unrar::WalkStatus::ProtectedHeaders) TAVORA_RAR_LOG("Protected headers not supported!");
    return count == 0 && status != unrar::WalkStatus::Ok ? -1 : count;
}

// A single RAR5 archive is listed from its headers alone: nothing is decoded.
int ListRar5(const char* archivePath, TavoraArchiveEntryFn fn, void* context) {
    int count = 0;
    const unrar::WalkStatus status = unrar::WalkRar5(archivePath, [&](const unrar::Rar5Entry& entry) {
        if (entry.continues) return true;
        const std::string name = unpack::WithSlashes(unpack::DecodeLegacyName(entry.name));
        TavoraArchiveEntry info{};
        info.name = name.c_str();
        info.size = entry.size;
        info.position = static_cast<uint64_t>(count);
        info.isFolder = entry.isFolder;
        info.isLink = entry.isLink;
        info.isEncrypted = entry.isEncrypted;
        info.isSafe = !entry.isLink && unpack::SafeComponents(name).has_value();
        ++count;
        return count < std::numeric_limits<int>::max() && (!fn || fn(context, &info));
    });
    if (status == unrar::WalkStatus::ProtectedHeaders) TAVORA_RAR_LOG("Protected headers not supported!");
    return count == 0 && status != unrar::WalkStatus::Ok ? -1 : count;
}

}  // namespace

extern "C" {

int UnRar_list(const char* archivePath, TavoraArchiveEntryFn fn, void* context) {
    if (!archivePath) return -1;
    const std::vector<std::string> volumes = unrar::FindVolumes(archivePath);
    const unrar::Signature signature = unrar::ReadSignature(archivePath);
    if (volumes.size() == 1 && signature == unrar::Signature::Rar4) return ListRar4(archivePath, fn, context);
    if (volumes.size() == 1 && signature == unrar::Signature::Rar5) return ListRar5(archivePath, fn, context);
    const unrar::Rar5Encryption encryption = signature == unrar::Signature::Rar5
                                                 ? unrar::ReadRar5Encryption(volumes)
                                                 : unrar::Rar5Encryption{};
    if (encryption.status == unrar::WalkStatus::ProtectedHeaders) TAVORA_RAR_LOG("Protected headers not supported!");
    unpack::Utf8ThreadLocale locale;
    std::string error;
    unpack::ArchivePtr a = unpack::OpenArchive(volumes, unpack::ArchiveKind::Rar, &error);
    if (!a) return -1;
    int count = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) return count == 0 ? -1 : count;
        const std::string name = unpack::EntryName(entry);
        TavoraArchiveEntry info{};
        unpack::DescribeEntry(entry, name, static_cast<uint64_t>(count), &info);
        if (encryption.IsEncrypted(static_cast<uint64_t>(count), name)) info.isEncrypted = 1;
        if (count == std::numeric_limits<int>::max()) break;
        ++count;
        if (fn && !fn(context, &info)) break;
    }
    return count;
}

int DecodeRarEntry(const char* entryName, const char* archivePath, const char* password, unsigned char** data,
                   size_t* size) {
    if (data) *data = nullptr;
    if (size) *size = 0;
    if (!entryName || !archivePath || !data || !size) return 0;
    const std::string name = entryName;
    TAVORA_RAR_LOG("Extracting >" + name + "< from >" + archivePath + "< (password is >" + Text(password) + "<)...");
    std::unique_ptr<unpack::MemorySink> sink;
    const auto open = [&](const unrar::EntryFacts& facts, std::string* error) -> unpack::ByteSink* {
        if (facts.size > kMaxMemoryEntry) {
            *error = "Can't allocate memory for decompression!";
            return nullptr;
        }
        sink = std::make_unique<unpack::MemorySink>(facts.size);
        return sink.get();
    };
    const unrar::DecodeResult result = unrar::DecodeEntry(name, archivePath, open);
    if (result == unrar::DecodeResult::Folder) return 0;
    if (result == unrar::DecodeResult::Failed) {
        LogFailure(name, sink ? sink->Bytes().capacity() : 0);
        return 0;
    }
    auto& bytes = sink->Bytes();
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!buffer) {
        TAVORA_RAR_LOG("Can't allocate memory for decompression!");
        LogFailure(name, 0);
        return 0;
    }
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    *data = buffer;
    *size = bytes.size();
    TAVORA_RAR_LOG("Extracted " + std::to_string(bytes.size()) + " Bytes.");
    return 1;
}

void UnRar_freedata(unsigned char* data) { std::free(data); }

int UnRar_extract(const char* entryName, const char* archivePath, const char* password, const char* destFolder) {
    if (!entryName || !archivePath || !destFolder) return 0;
    const std::string name = entryName;
    TAVORA_RAR_LOG("Extracting >" + name + "< from >" + archivePath + "< (password is >" + Text(password) + "<)...");
    if (!unpack::SafeComponents(name)) {
        TAVORA_RAR_LOG("Unsafe name, not extracted: >" + name + "<");
        return 0;
    }
    unpack::SafeFile file;
    const auto open = [&](const unrar::EntryFacts& facts, std::string* error) -> unpack::ByteSink* {
        if (!file.Open(destFolder, name, facts.size, true)) {
            *error = file.Error();
            return nullptr;
        }
        return &file;
    };
    const unrar::DecodeResult result = unrar::DecodeEntry(name, archivePath, open);
    if (result == unrar::DecodeResult::Folder) {
        std::string error;
        if (unpack::MakeSafeFolder(destFolder, name, &error)) return 1;
        TAVORA_RAR_LOG(error);
        return 0;
    }
    if (result == unrar::DecodeResult::File && file.Commit()) {
        TAVORA_RAR_LOG("Extracted " + std::to_string(file.Written()) + " Bytes.");
        return 1;
    }
    if (result == unrar::DecodeResult::File) TAVORA_RAR_LOG(file.Error());
    LogFailure(name, 0);
    return 0;
}

int UnRar_extract_each(const char* archivePath, const char* password, const char* destFolder, TavoraEntryChoiceFn choose,
                       TavoraEntryDoneFn done, void* context) {
    if (!archivePath || !destFolder) return -1;
    return unrar::ExtractEach(
        archivePath, destFolder, Text(password),
        [&](const TavoraArchiveEntry& e) { return choose ? choose(context, &e) : 1; },
        [&](const TavoraArchiveEntry& e, const char* failure) { return !done || done(context, &e, failure) != 0; });
}

const char* UnRar_logpath(void) { return unrar::LogPath().c_str(); }

}  // extern "C"
