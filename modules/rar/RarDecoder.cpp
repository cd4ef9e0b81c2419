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
#include "Rar5Headers.h"
#include "RarVolumes.h"
#include "SafeFile.h"

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

// libarchive's words for the cases the decoder has messages of its own. Encryption
// met while reading headers means the headers are encrypted; met in an entry's data
// (`entryName` given), that entry is.
void LogLibarchiveFailure(const std::string& error, const std::string* entryName = nullptr) {
    if (Mentions(error, "ncrypt") || Mentions(error, "assphrase"))
        TAVORA_RAR_LOG(entryName ? EncryptedEntryMessage(*entryName) : "Protected headers not supported!");
    else if (Mentions(error, "CRC") || Mentions(error, "hecksum"))
        TAVORA_RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
    else
        TAVORA_RAR_LOG(error);
}

// One libarchive session over the volumes of a RAR; logs why when it does not open.
unpack::ArchivePtr OpenLibarchiveSession(const std::vector<std::string>& volumes) {
    std::string error;
    unpack::ArchivePtr a = unpack::OpenArchive(volumes, ArchiveKind::Rar, &error);
    if (!a) LogLibarchiveFailure(error);
    return a;
}

// libunarr converts entry times with gmtime()'s shared buffer: one session at a time.
// Recursive: a one-pass extraction holds it and may fall back to a single decode.
std::recursive_mutex unarrMutex;

struct UnarrCloser {
    void operator()(ar_stream* s) const { ar_close(s); }
    void operator()(ar_archive* a) const { ar_close_archive(a); }
};

// Decodes the file entry that libarchive found as the `ordinal`-th non-folder entry,
// with libunarr. unarr decodes legacy names as DOS text, so a name is matched either
// by its text or by its place and size.
bool DecodeWithUnarr(const std::string& path, const std::string& name, uint64_t ordinal, uint64_t size,
                     ByteSink& sink) {
    std::lock_guard<std::recursive_mutex> lock(unarrMutex);
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
        TAVORA_RAR_LOG(EncryptedEntryMessage(name));
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
    const Rar5Encryption encryption = signature == Signature::Rar5 ? ReadRar5Encryption(volumes) : Rar5Encryption{};
    unpack::Utf8ThreadLocale locale;
    unpack::ArchivePtr a = OpenLibarchiveSession(volumes);
    if (!a) return DecodeResult::Failed;
    archive_entry* entry = nullptr;
    uint64_t ordinal = 0;
    for (;; ++ordinal) {
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
    if (encryption.IsEncrypted(ordinal, name)) facts.isEncrypted = 1;
    if (facts.isFolder) return DecodeResult::Folder;
    if (facts.isLink || archive_entry_filetype(entry) != AE_IFREG) {
        TAVORA_RAR_LOG("Links and special files are not extracted: >" + name + "<");
        return DecodeResult::Failed;
    }
    if (facts.isEncrypted) {
        TAVORA_RAR_LOG(EncryptedEntryMessage(name));
        return DecodeResult::Failed;
    }
    std::string error;
    ByteSink* sink = open(EntryFacts{facts.size, false}, &error);
    if (!sink) {
        TAVORA_RAR_LOG(error);
        return DecodeResult::Failed;
    }
    if (!unpack::CopyEntryData(a.get(), *sink, &error)) {
        LogLibarchiveFailure(error, &name);
        return DecodeResult::Failed;
    }
    if (sink->Written() != facts.size) {
        TAVORA_RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
        return DecodeResult::Failed;
    }
    return DecodeResult::File;
}

std::string EncryptedEntryMessage(const std::string& name) {
    return "Encrypted file >" + name +
           "< not extracted: encrypted RAR entries cannot be decoded, not even with the program's password";
}

Rar5Encryption ReadRar5Encryption(const std::vector<std::string>& volumes) {
    Rar5Encryption out;
    for (const std::string& volume : volumes) {
        const WalkStatus status = WalkRar5(volume, [&](const Rar5Entry& e) {
            if (e.continues) return true;
            out.names.push_back(unpack::WithSlashes(unpack::DecodeLegacyName(e.name)));
            out.encrypted.push_back(e.isEncrypted);
            return true;
        });
        if (status != WalkStatus::Ok) {
            out.status = status;
            break;
        }
    }
    return out;
}

namespace {

// Bytes decoded only to keep a solid archive's decoder in step.
class DropSink : public ByteSink {
public:
    bool Write(const void*, size_t size) override {
        written_ += size;
        return true;
    }
};

// The main header of a RAR 1.5-4 archive says whether it is solid (flag 0x0008).
bool IsSolidRar4(const std::string& path) {
    unsigned char head[12] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return n == sizeof head && head[9] == 0x73 && (head[10] & 0x08) != 0;
}

void Describe(const Rar4Entry& e, uint64_t position, TavoraArchiveEntry* info) {
    info->name = e.name.c_str();
    info->size = e.size;
    info->position = position;
    info->isFolder = e.isFolder;
    info->isLink = e.isLink;
    info->isEncrypted = e.isEncrypted;
    info->isSafe = !e.isLink && unpack::SafeComponents(e.name).has_value();
}

// What keeps a chosen entry from being written, before any decoding; empty if nothing.
std::string Refusal(const TavoraArchiveEntry& info) {
    const std::string name = info.name;
    if (info.isLink) {
        TAVORA_RAR_LOG("Links and special files are not extracted: >" + name + "<");
        return "a link or special file";
    }
    if (!info.isSafe) {
        TAVORA_RAR_LOG("Unsafe name, not extracted: >" + name + "<");
        return "a name leaving the folder";
    }
    if (info.isEncrypted && !info.isFolder) {
        TAVORA_RAR_LOG(EncryptedEntryMessage(name));
        return "encrypted";
    }
    return {};
}

// Writes one chosen entry below destFolder; `decode` fills the file. Returns the failure
// (empty on success), logged as the single-entry extraction logs it.
template <typename Decode>
std::string WriteChosen(const TavoraArchiveEntry& info, const std::string& destFolder, const std::string& archivePath,
                        const std::string& password, Decode decode) {
    const std::string name = info.name;
    TAVORA_RAR_LOG("Extracting >" + name + "< from >" + archivePath + "< (password is >" + password + "<)...");
    std::string failure = Refusal(info);
    if (failure.empty() && info.isFolder) {
        if (!unpack::MakeSafeFolder(destFolder, name, &failure)) TAVORA_RAR_LOG(failure);
        return failure;
    }
    if (failure.empty()) {
        unpack::SafeFile file;
        if (!file.Open(destFolder, name, info.size, true)) {
            failure = file.Error();
            TAVORA_RAR_LOG(failure);
        } else if (!decode(file, &failure)) {
            if (failure.empty()) failure = "damaged data";
        } else if (!file.Commit()) {
            failure = file.Error();
            TAVORA_RAR_LOG(failure);
        } else {
            TAVORA_RAR_LOG("Extracted " + std::to_string(file.Written()) + " Bytes.");
            return {};
        }
    }
    TAVORA_RAR_LOG("Error - couldn't extract >" + name + "< and allocated 0 Bytes of unused memory!");
    return failure;
}

// RAR 1.5-4, one file: our header walk names the entries, one libunarr session decodes
// them in order. Should unarr's entries ever not match the walk's, the rest are decoded
// one by one as DecodeEntry does.
int ExtractEachRar4(const std::string& path, const std::string& destFolder, const std::string& password,
                    const ChooseEntry& choose, const EntryDone& done) {
    std::vector<Rar4Entry> entries;
    const WalkStatus status = WalkRar4(path, [&](const Rar4Entry& e) {
        entries.push_back(e);
        return true;
    });
    if (status == WalkStatus::ProtectedHeaders) TAVORA_RAR_LOG("Protected headers not supported!");
    if (entries.empty() && status != WalkStatus::Ok) return -1;
    const bool solid = IsSolidRar4(path);
    std::lock_guard<std::recursive_mutex> lock(unarrMutex);
    std::unique_ptr<ar_stream, UnarrCloser> stream(ar_open_file(path.c_str()));
    std::unique_ptr<ar_archive, UnarrCloser> ar(stream ? ar_open_rar_archive(stream.get()) : nullptr);
    bool inStep = ar != nullptr;
    bool solidBroken = false;
    std::vector<unsigned char> buffer(64 * 1024);
    const auto unarrDecode = [&](uint64_t size, ByteSink& sink, std::string* failure) {
        for (uint64_t left = size; left > 0;) {
            const size_t n = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
            if (!ar_entry_uncompress(ar.get(), buffer.data(), n)) {
                *failure = "CRC32 error - file couldn't be decompressed correctly!";
                TAVORA_RAR_LOG(*failure);
                return false;
            }
            if (!sink.Write(buffer.data(), n)) {
                *failure = sink.Error();
                TAVORA_RAR_LOG(*failure);
                return false;
            }
            left -= n;
        }
        return true;
    };
    int reached = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Rar4Entry& e = entries[i];
        TavoraArchiveEntry info{};
        Describe(e, i, &info);
        ++reached;
        const int choice = choose(info);
        if (choice < 0) break;
        // unarr lists the files (links included), not the folders.
        if (!e.isFolder && inStep) {
            const char* unarrName = ar_parse_entry(ar.get()) ? ar_entry_get_name(ar.get()) : nullptr;
            inStep = unarrName && (unpack::WithSlashes(unarrName) == e.name || ar_entry_get_size(ar.get()) == e.size);
        }
        // Passed by, or a link (never written): a solid stream still has to go through it.
        if ((choice == 0 || e.isLink) && solid && inStep && !e.isFolder && !e.isEncrypted) {
            DropSink drop;
            std::string ignored;
            inStep = unarrDecode(e.size, drop, &ignored);
        }
        if (choice == 0) continue;
        // Encrypted data cannot be decoded, so a solid stream cannot go past it.
        if (e.isEncrypted && !e.isFolder && solid) inStep = false;
        const std::string failure = WriteChosen(info, destFolder, path, password, [&](ByteSink& sink, std::string* why) {
            if (solidBroken) {
                // What follows damage in a solid stream cannot be decoded either.
                *why = "the solid stream is damaged before this entry";
                TAVORA_RAR_LOG(*why);
                return false;
            }
            if (inStep) {
                const bool decoded = unarrDecode(e.size, sink, why);
                solidBroken = solid && !decoded && why->rfind("CRC32", 0) == 0;
                return decoded;
            }
            const SinkOpener open = [&](const EntryFacts&, std::string*) -> ByteSink* { return &sink; };
            return DecodeEntry(e.name, path, open) == DecodeResult::File;
        });
        if (!done(info, failure.empty() ? nullptr : failure.c_str())) break;
    }
    if (status == WalkStatus::Damaged) TAVORA_RAR_LOG("Damaged archive: the entries after the damage were not reached");
    return reached;
}

// RAR5 and volume sets: one libarchive session, which decodes a solid stream in order
// by itself.
int ExtractEachLibarchive(const std::vector<std::string>& volumes, Signature signature, const std::string& destFolder,
                          const std::string& password, const ChooseEntry& choose, const EntryDone& done) {
    const Rar5Encryption encryption = signature == Signature::Rar5 ? ReadRar5Encryption(volumes) : Rar5Encryption{};
    unpack::Utf8ThreadLocale locale;
    unpack::ArchivePtr a = OpenLibarchiveSession(volumes);
    if (!a) return -1;
    int reached = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            LogLibarchiveFailure(archive_error_string(a.get()) ? archive_error_string(a.get()) : "damaged archive");
            return reached == 0 ? -1 : reached;
        }
        const std::string name = unpack::EntryName(entry);
        TavoraArchiveEntry info{};
        unpack::DescribeEntry(entry, name, static_cast<uint64_t>(reached), &info);
        if (encryption.IsEncrypted(static_cast<uint64_t>(reached), name)) info.isEncrypted = 1;
        if (archive_entry_filetype(entry) != AE_IFREG && !info.isFolder) info.isLink = 1;
        ++reached;
        const int choice = choose(info);
        if (choice < 0) break;
        if (choice == 0) continue;
        const std::string failure = WriteChosen(info, destFolder, volumes.front(), password, [&](ByteSink& sink, std::string* why) {
            if (!unpack::CopyEntryData(a.get(), sink, why)) {
                LogLibarchiveFailure(*why, &name);
                return false;
            }
            if (sink.Written() != info.size) {
                *why = "CRC32 error - file couldn't be decompressed correctly!";
                TAVORA_RAR_LOG(*why);
                return false;
            }
            return true;
        });
        if (!done(info, failure.empty() ? nullptr : failure.c_str())) break;
    }
    return reached;
}

}  // namespace

int ExtractEach(const std::string& archivePath, const std::string& destFolder, const std::string& password,
                const ChooseEntry& choose, const EntryDone& done) {
    const Signature signature = ReadSignature(archivePath);
    if (signature == Signature::Old) {
        TAVORA_RAR_LOG("Attention: format as OLD detected! Can't handel archive!");
        return -1;
    }
    if (signature == Signature::None) {
        TAVORA_RAR_LOG("Not a RAR file");
        return -1;
    }
    const std::vector<std::string> volumes = FindVolumes(archivePath);
    if (signature == Signature::Rar4 && volumes.size() == 1)
        return ExtractEachRar4(archivePath, destFolder, password, choose, done);
    return ExtractEachLibarchive(volumes, signature, destFolder, password, choose, done);
}

}  // namespace tavora::unrar
