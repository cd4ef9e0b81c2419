#pragma once
// Decoding one named entry of a RAR archive. RAR 1.5-4.x single archives (solid ones
// included, which libarchive cannot extract) are found by our header walk
// (Rar4Headers.h) and decoded by libunarr; RAR5 archives and volume sets are found and
// decoded by libarchive. The walk comes first: it finds the entry, its type, its
// declared size and whether it is encrypted.
// Every failure is logged to the debug log (RarLog.h) with the decoder's messages.

#include <cstdint>
#include <functional>
#include <string>

#include "ByteSink.h"

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

}  // namespace tavora::unrar
