#pragma once
// libarchive as the ZIP and RAR modules use it: names as raw bytes (decoded by us, see
// EntryName.h), entries described for the C interface, data copied into a sink.

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <memory>
#include <string>
#include <vector>

#include "ByteSink.h"
#include "tavora/archive_api.h"

namespace tavora::unpack {

// libarchive converts names that an archive marks as UTF-8 into the current locale's
// code set, and caches that code set per archive object. Under this guard the calling
// thread's locale is C.UTF-8, so marked names arrive unchanged and unmarked ones as
// their raw bytes, whatever locale the program runs in.
class Utf8ThreadLocale {
public:
    Utf8ThreadLocale();
    ~Utf8ThreadLocale();
    Utf8ThreadLocale(const Utf8ThreadLocale&) = delete;
    Utf8ThreadLocale& operator=(const Utf8ThreadLocale&) = delete;

private:
    locale_t utf8_ = nullptr;
    locale_t previous_ = nullptr;
};

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

enum class ArchiveKind { Zip, Rar };

// Opens the files (the volumes of one archive, in order) for reading; null when
// libarchive cannot recognise them as that kind. *error says why.
ArchivePtr OpenArchive(const std::vector<std::string>& files, ArchiveKind kind, std::string* error);

// Fills `out` for the C interface; `name` must outlive the use of `out`.
void DescribeEntry(archive_entry* entry, const std::string& name, uint64_t position, TavoraArchiveEntry* out);

// The entry's name decoded to UTF-8 with "/" separators.
std::string EntryName(archive_entry* entry);

// Copies the current entry's data into the sink. False with *error on a damaged or
// encrypted entry or when the sink refuses.
bool CopyEntryData(archive* a, ByteSink& sink, std::string* error);

}  // namespace tavora::unpack
