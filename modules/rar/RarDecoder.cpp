#include "RarDecoder.h"

#include <unarr.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "EntryName.h"
#include "Libarchive.h"
#include "RarLog.h"
#include "Rar4Headers.h"
#include "RarVolumes.h"

namespace tavora::unrar {

namespace {

using unpack::ArchiveKind;
using unpack::ByteSink;

}  // namespace

Signature ReadSignature(const std::string& path) {
    unsigned char head[8] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return Signature::None;
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n >= 4 && std::memcmp(head, "RE~^", 4) == 0) return Signature::Old;
    if (n >= 7 && std::memcmp(head, "Rar!\x1a\x07\x00", 7) == 0) return Signature::Rar4;
    if (n >= 8 && std::memcmp(head, "Rar!\x1a\x07\x01\x00", 8) == 0) return Signature::Rar5;
    return Signature::None;
}

namespace {

bool Mentions(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

// libarchive's words for the cases the decoder has messages of its own.
void LogLibarchiveFailure(const std::string& error) {
    if (Mentions(error, "ncrypt") || Mentions(error, "assphrase"))
        TAVORA_RAR_LOG("Protected headers not supported!");
    else if (Mentions(error, "CRC") || Mentions(error, "hecksum"))
        TAVORA_RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
    else
        TAVORA_RAR_LOG(error);
}

struct UnarrCloser {
    void operator()(ar_stream* s) const { ar_close(s); }
    void operator()(ar_archive* a) const { ar_close_archive(a); }
};

// Decodes the file entry that libarchive found as the `ordinal`-th non-folder entry,
// with libunarr. unarr decodes legacy names as DOS text, so a name is matched either
// by its text or by its place and size.
bool DecodeWithUnarr(const std::string& path, const std::string& name, uint64_t ordinal, uint64_t size,
                     ByteSink& sink) {
    // libunarr converts entry times with gmtime()'s shared buffer: one session at a time.
    static std::mutex unarrMutex;
    std::lock_guard<std::mutex> lock(unarrMutex);
    std::unique_ptr<ar_stream, UnarrCloser> stream(ar_open_file(path.c_str()));
    if (!stream) {
        TAVORA_RAR_LOG("Not a RAR file");
        return false;
    }
    std::unique_ptr<ar_archive, UnarrCloser> ar(ar_open_rar_archive(stream.get()));
    if (!ar) {
        TAVORA_RAR_LOG("Not a RAR file");
        return false;
    }
    for (uint64_t index = 0; ar_parse_entry(ar.get()); ++index) {
        const char* unarrName = ar_entry_get_name(ar.get());
        const bool sameName = unarrName && unpack::WithSlashes(unarrName) == name;
        if (!sameName && !(index == ordinal && ar_entry_get_size(ar.get()) == size)) continue;
        if (ar_entry_get_size(ar.get()) != size) break;
        std::vector<unsigned char> buffer(64 * 1024);
        uint64_t left = size;
        while (left > 0) {
            const size_t n = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
            if (!ar_entry_uncompress(ar.get(), buffer.data(), n)) {
                TAVORA_RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
                return false;
            }
            if (!sink.Write(buffer.data(), n)) {
                TAVORA_RAR_LOG(sink.Error());
                return false;
            }
            left -= n;
        }
        return true;
    }
    TAVORA_RAR_LOG("File >" + name + "< not found in the archive");
    return false;
}

DecodeResult DecodeRar4(const std::string& name, const std::string& path, const SinkOpener& open) {
    Rar4Entry found;
    bool isFound = false;
    uint64_t ordinal = 0;
    const WalkStatus status = WalkRar4(path, [&](const Rar4Entry& entry) {
        if (entry.name == name) {
            found = entry;
            isFound = true;
            return false;
        }
        if (!entry.isFolder) ++ordinal;
        return true;
    });
    if (status == WalkStatus::ProtectedHeaders) {
        TAVORA_RAR_LOG("Protected headers not supported!");
        return DecodeResult::Failed;
    }
    if (!isFound) {
        TAVORA_RAR_LOG(status == WalkStatus::Damaged ? "Damaged archive: file >" + name + "< not reached"
                                                     : "File >" + name + "< not found in the archive");
        return DecodeResult::Failed;
    }
    if (found.isFolder) return DecodeResult::Folder;
    if (found.isLink) {
        TAVORA_RAR_LOG("Links and special files are not extracted: >" + name + "<");
        return DecodeResult::Failed;
    }
    if (found.isEncrypted) {
        TAVORA_RAR_LOG("Encrypted file: the password was not accepted!");
        return DecodeResult::Failed;
    }
    std::string error;
    ByteSink* sink = open(EntryFacts{found.size, false}, &error);
    if (!sink) {
        TAVORA_RAR_LOG(error);
        return DecodeResult::Failed;
    }
    return DecodeWithUnarr(path, name, ordinal, found.size, *sink) ? DecodeResult::File : DecodeResult::Failed;
}

}  // namespace

DecodeResult DecodeEntry(const std::string& name, const std::string& archivePath, const SinkOpener& open) {
    const Signature signature = ReadSignature(archivePath);
    if (signature == Signature::Old) {
        TAVORA_RAR_LOG("Attention: format as OLD detected! Can't handel archive!");
        return DecodeResult::Failed;
    }
    if (signature == Signature::None) {
        // Self-extracting archives start with a program, not a signature: refused too.
        TAVORA_RAR_LOG("Not a RAR file");
        return DecodeResult::Failed;
    }
    const std::vector<std::string> volumes = FindVolumes(archivePath);
    if (signature == Signature::Rar4 && volumes.size() == 1) return DecodeRar4(name, archivePath, open);
    unpack::Utf8ThreadLocale locale;
    std::string error;
    unpack::ArchivePtr a = unpack::OpenArchive(volumes, ArchiveKind::Rar, &error);
    if (!a) {
        LogLibarchiveFailure(error);
        return DecodeResult::Failed;
    }
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) {
            TAVORA_RAR_LOG("File >" + name + "< not found in the archive");
            return DecodeResult::Failed;
        }
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            LogLibarchiveFailure(archive_error_string(a.get()) ? archive_error_string(a.get()) : "damaged archive");
            return DecodeResult::Failed;
        }
        if (unpack::EntryName(entry) == name) break;
    }
    TavoraArchiveEntry facts{};
    unpack::DescribeEntry(entry, name, 0, &facts);
    if (facts.isFolder) return DecodeResult::Folder;
    if (facts.isLink || archive_entry_filetype(entry) != AE_IFREG) {
        TAVORA_RAR_LOG("Links and special files are not extracted: >" + name + "<");
        return DecodeResult::Failed;
    }
    if (facts.isEncrypted) {
        TAVORA_RAR_LOG("Encrypted file: the password was not accepted!");
        return DecodeResult::Failed;
    }
    ByteSink* sink = open(EntryFacts{facts.size, false}, &error);
    if (!sink) {
        TAVORA_RAR_LOG(error);
        return DecodeResult::Failed;
    }
    if (!unpack::CopyEntryData(a.get(), *sink, &error)) {
        LogLibarchiveFailure(error);
        return DecodeResult::Failed;
    }
    if (sink->Written() != facts.size) {
        TAVORA_RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
        return DecodeResult::Failed;
    }
    return DecodeResult::File;
}

}  // namespace tavora::unrar
