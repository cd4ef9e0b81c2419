// libarchive and unarr, loaded when the first archive is opened (see OnDemandLibrary.h):
// the archive modules are loaded at start, but what they read with (libarchive with
// libxml2, nettle and bzip2; unarr) is about 1 MB of resident memory, unused until the
// user adds a ZIP or RAR file.

#include <archive.h>
#include <archive_entry.h>
#include <unarr.h>

#include "OnDemandLibrary.h"

namespace {
constexpr const char* kLibarchive = "libarchive.so.13";
constexpr const char* kUnarr = "libunarr.so.1";
constexpr const char* kLost = "ZIP and RAR files cannot be read";
}  // namespace

TAVORA_FORWARD(kLibarchive, kLost, nullptr, archive*, archive_read_new, (), ())
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_free, (archive * a), (a))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_support_format_zip, (archive * a), (a))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_support_format_rar, (archive * a), (a))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_support_format_rar5, (archive * a), (a))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_open_filenames,
               (archive * a, const char** names, size_t blockSize), (a, names, blockSize))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_next_header, (archive * a, archive_entry** entry),
               (a, entry))
TAVORA_FORWARD(kLibarchive, kLost, ARCHIVE_FATAL, int, archive_read_data_block,
               (archive * a, const void** buffer, size_t* size, la_int64_t* offset), (a, buffer, size, offset))
TAVORA_FORWARD(kLibarchive, kLost, "libarchive is not available", const char*, archive_error_string, (archive * a),
               (a))
TAVORA_FORWARD(kLibarchive, kLost, 0, __LA_MODE_T, archive_entry_filetype, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, nullptr, const char*, archive_entry_hardlink, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, 0, int, archive_entry_is_data_encrypted, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, nullptr, const char*, archive_entry_pathname, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, 0, la_int64_t, archive_entry_size, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, 0, int, archive_entry_size_is_set, (archive_entry * e), (e))
TAVORA_FORWARD(kLibarchive, kLost, nullptr, const char*, archive_entry_symlink, (archive_entry * e), (e))

TAVORA_FORWARD(kUnarr, kLost, nullptr, ar_stream*, ar_open_file, (const char* path), (path))
TAVORA_FORWARD_VOID(kUnarr, kLost, ar_close, (ar_stream * stream), (stream))
TAVORA_FORWARD(kUnarr, kLost, nullptr, ar_archive*, ar_open_rar_archive, (ar_stream * stream), (stream))
TAVORA_FORWARD_VOID(kUnarr, kLost, ar_close_archive, (ar_archive * ar), (ar))
TAVORA_FORWARD(kUnarr, kLost, false, bool, ar_parse_entry, (ar_archive * ar), (ar))
TAVORA_FORWARD(kUnarr, kLost, nullptr, const char*, ar_entry_get_name, (ar_archive * ar), (ar))
TAVORA_FORWARD(kUnarr, kLost, 0, size_t, ar_entry_get_size, (ar_archive * ar), (ar))
TAVORA_FORWARD(kUnarr, kLost, false, bool, ar_entry_uncompress, (ar_archive * ar, void* buffer, size_t count),
               (ar, buffer, count))
