#include "Libarchive.h"

#include "EntryName.h"
#include "SafeFile.h"

namespace tavora::unpack {

Utf8ThreadLocale::Utf8ThreadLocale() {
    utf8_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8_) previous_ = uselocale(utf8_);
}

Utf8ThreadLocale::~Utf8ThreadLocale() {
    if (!utf8_) return;
    uselocale(previous_);
    freelocale(utf8_);
}

ArchivePtr OpenArchive(const std::vector<std::string>& files, ArchiveKind kind, std::string* error) {
    ArchivePtr a(archive_read_new());
    if (!a) {
        *error = "out of memory";
        return nullptr;
    }
    if (kind == ArchiveKind::Zip) {
        archive_read_support_format_zip(a.get());
    } else {
        archive_read_support_format_rar(a.get());
        archive_read_support_format_rar5(a.get());
    }
    std::vector<const char*> names;
    for (const auto& f : files) names.push_back(f.c_str());
    names.push_back(nullptr);
    if (archive_read_open_filenames(a.get(), names.data(), 64 * 1024) != ARCHIVE_OK) {
        *error = archive_error_string(a.get()) ? archive_error_string(a.get()) : "cannot open the archive";
        return nullptr;
    }
    return a;
}

std::string EntryName(archive_entry* entry) {
    const char* raw = archive_entry_pathname(entry);
    return WithSlashes(DecodeLegacyName(raw ? raw : ""));
}

void DescribeEntry(archive_entry* entry, const std::string& name, uint64_t position, TavoraArchiveEntry* out) {
    const auto type = archive_entry_filetype(entry);
    out->name = name.c_str();
    out->size = archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0
                    ? static_cast<uint64_t>(archive_entry_size(entry))
                    : 0;
    out->position = position;
    out->isFolder = type == AE_IFDIR;
    out->isLink = type == AE_IFLNK || archive_entry_hardlink(entry) != nullptr ||
                  archive_entry_symlink(entry) != nullptr;
    out->isEncrypted = archive_entry_is_data_encrypted(entry) == 1;
    out->isSafe = !out->isLink && (type == AE_IFDIR || type == AE_IFREG) && SafeComponents(name).has_value();
}

bool CopyEntryData(archive* a, ByteSink& sink, std::string* error) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int r = archive_read_data_block(a, &block, &size, &offset);
        if (r == ARCHIVE_EOF) return true;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            *error = archive_error_string(a) ? archive_error_string(a) : "damaged data";
            return false;
        }
        // Sparse entries leave holes between blocks; fill them so offsets stay right.
        static const char kZeros[4096] = {};
        while (static_cast<uint64_t>(offset) > sink.Written()) {
            const uint64_t gap = static_cast<uint64_t>(offset) - sink.Written();
            if (!sink.Write(kZeros, gap < sizeof kZeros ? gap : sizeof kZeros)) {
                *error = sink.Error();
                return false;
            }
        }
        if (size > 0 && !sink.Write(block, size)) {
            *error = sink.Error();
            return false;
        }
    }
}

}  // namespace tavora::unpack
