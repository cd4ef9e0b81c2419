#pragma once
// Decoding one named entry of a RAR archive, or a whole archive in one pass. RAR 1.5-4.x
// single archives (solid ones included, which libarchive cannot extract) are found by
// our header walk (Rar4Headers.h) and decoded by libunarr; RAR5 archives and volume sets
// are found and decoded by libarchive, with our RAR5 header walk (Rar5Headers.h) telling
// which entries are encrypted. The walk comes first: it finds the entry, its type, its
// declared size and whether it is encrypted. Encrypted entries are never decoded: no
// decoder here can decrypt RAR, whatever the password.
// Every failure is logged to the debug log (RarLog.h) with the decoder's messages.

#include <cstdint>
#include <functional>
#include <string>

#include <vector>

#include "ByteSink.h"
#include "Rar4Headers.h"
#include "tavora/archive_api.h"

namespace tavora::unrar {

struct EntryFacts {
    uint64_t size = 0;
    bool isFolder = false;
};

enum class DecodeResult { Failed, File, Folder };

// Opens where the entry's bytes go once its facts are known; null (with *error) refuses.
using SinkOpener = std::function<unpack::ByteSink*(const EntryFacts&, std::string* error)>;

enum class Signature { None, Old, Rar4, Rar5 };
Signature ReadSignature(const std::string& path);

DecodeResult DecodeEntry(const std::string& name, const std::string& archivePath, const SinkOpener& open);

// The debug log's words for an encrypted entry (RAR decryption is not available, so the
// program's password cannot open it either).
std::string EncryptedEntryMessage(const std::string& name);

// One pass over a whole archive, in archive order, into destFolder: `choose` is asked
// for each entry as it is reached (1 extract, 0 pass by, -1 stop); a chosen folder is
// made, a chosen file decoded into a SafeFile, and `done` told the outcome (null for
// success, else the reason; false stops). Entries passed by in a solid archive are still
// decoded (and dropped) so that the ones after them need no second pass. Returns the
// number of entries reached, -1 when the archive cannot be read at all.
using ChooseEntry = std::function<int(const TavoraArchiveEntry&)>;
using EntryDone = std::function<bool(const TavoraArchiveEntry&, const char* failure)>;
int ExtractEach(const std::string& archivePath, const std::string& destFolder, const std::string& password,
                const ChooseEntry& choose, const EntryDone& done);

// Which entries of a RAR5 archive (its volumes in order) have encrypted data, by the
// order in which libarchive lists them. Headers that are themselves encrypted give
// WalkStatus::ProtectedHeaders.
struct Rar5Encryption {
    WalkStatus status = WalkStatus::Ok;
    std::vector<std::string> names;  // as libarchive names them
    std::vector<bool> encrypted;
    bool IsEncrypted(uint64_t ordinal, const std::string& name) const {
        return ordinal < names.size() && names[ordinal] == name && encrypted[ordinal];
    }
};
Rar5Encryption ReadRar5Encryption(const std::vector<std::string>& volumes);

}  // namespace tavora::unrar
