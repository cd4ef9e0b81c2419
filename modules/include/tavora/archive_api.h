/*
 * The C interface of the archive modules "UnZip.so", "UnRar.so" and "UnAlzipper.so",
 * loaded at run time from the install folder's "system" folder (dlopen/dlsym by name).
 *
 * Threads: every call may be made from any thread. A handle (TavoraZip, TavoraAlz) is
 * used by one thread at a time; different handles, and the handle-free RAR calls, may
 * run on several threads at once. Nothing here touches process-wide state except
 * UnRar.so's debug log, which serialises its own writes, and its decoding of RAR 1.5-4
 * entries, which runs one at a time (libunarr uses gmtime's shared buffer). Callbacks
 * run on the calling thread, before the call returns.
 *
 * Names: every name handed out is UTF-8 with "/" between folders. Names an archive
 * stores in a legacy code page (ZIP without the UTF-8 flag, RAR 1.5-4 without Unicode
 * names, all ALZ) are decoded as CP949 when they are not valid UTF-8.
 *
 * Extraction is confined to the destination folder: an entry whose name is absolute,
 * holds a ".." component, has a component longer than the file system allows, is a
 * link, or would resolve through a symbolic link, is skipped and reported on stderr
 * (isSafe = 0 in its listing). A file is written under a temporary name in its folder
 * and renamed to its own name only when it is complete and its checksum matches, so a
 * failed extraction never leaves a partial file under the entry's name. Output is
 * bounded by the entry's declared size and checked against the free space first.
 *
 * Listings are streamed to a callback, one entry at a time, so an archive with
 * millions of entries costs no memory of its own.
 */
#ifndef TAVORA_ARCHIVE_API_H
#define TAVORA_ARCHIVE_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TAVORA_ARCHIVE_EXPORT __attribute__((visibility("default")))
#else
#define TAVORA_ARCHIVE_EXPORT
#endif

/* One entry of a listing; the pointers are valid only during the callback (or, for
 * GetFileInfo, until the next call on the same handle). */
typedef struct TavoraArchiveEntry {
    const char* name;   /* UTF-8, "/" separated, as stored (after decoding) */
    uint64_t size;      /* declared uncompressed size in bytes */
    uint64_t position;  /* module's own mark for selecting this entry again */
    int isFolder;
    int isLink;         /* symbolic or hard link: never extracted */
    int isEncrypted;    /* data needs a password the program does not have */
    int isSafe;         /* 1 when extraction would stay inside the destination folder */
} TavoraArchiveEntry;

/* Called once per entry in archive order; return 0 to stop the listing early. */
typedef int (*TavoraArchiveEntryFn)(void* context, const TavoraArchiveEntry* entry);

/* Called for an entry as an extraction reaches it: 1 extracts it, 0 passes it by, -1 stops
 * the extraction. */
typedef int (*TavoraEntryChoiceFn)(void* context, const TavoraArchiveEntry* entry);

/* Called for an entry once an extraction has dealt with it: `failure` is null when it was
 * written (a file complete under its own name, a folder made), otherwise a short reason
 * ("encrypted", ...). Return 0 to stop the extraction. */
typedef int (*TavoraEntryDoneFn)(void* context, const TavoraArchiveEntry* entry, const char* failure);

/* ---- UnZip.so --------------------------------------------------------------------- */
typedef struct TavoraZip TavoraZip;

/* Opens a ZIP archive whose entries Unzip will extract into destFolder. Null when the
 * file is missing or not a ZIP archive. */
TAVORA_ARCHIVE_EXPORT TavoraZip* OpenZip(const char* archivePath, const char* destFolder);
/* Moves to the first / next entry: nonzero while there is one. */
TAVORA_ARCHIVE_EXPORT int GotoFirstFile(TavoraZip* zip);
TAVORA_ARCHIVE_EXPORT int GotoNextFile(TavoraZip* zip);
/* Describes the current entry; nonzero on success. */
TAVORA_ARCHIVE_EXPORT int GetFileInfo(TavoraZip* zip, TavoraArchiveEntry* info);
/* Extracts every safe file and folder entry into the destination folder at its own
 * name (destFolder + "/" + name). Returns the number of files extracted, or -1 when
 * the archive cannot be read at all. */
TAVORA_ARCHIVE_EXPORT int Unzip(TavoraZip* zip);
/* As Unzip, telling `done` about each file entry (not folders) as soon as it has been
 * written or has failed; stops when `done` returns 0. */
TAVORA_ARCHIVE_EXPORT int UnzipEach(TavoraZip* zip, TavoraEntryDoneFn done, void* context);
TAVORA_ARCHIVE_EXPORT void CloseZip(TavoraZip* zip);

/* ---- UnRar.so --------------------------------------------------------------------- */
/* Lists every entry of a RAR archive (RAR 1.5 to 5; the other volumes of a
 * multi-volume set, "x.part1.rar ..." or "x.rar, x.r00 ...", are found next to it).
 * Returns the number of entries listed, or -1 when it is not a readable RAR archive. */
TAVORA_ARCHIVE_EXPORT int UnRar_list(const char* archivePath, TavoraArchiveEntryFn fn, void* context);
/* Decodes one named file entry into a newly allocated buffer (free with
 * UnRar_freedata). Returns 1 and sets *data, *size on success; 0 with *data null and
 * *size 0 on failure. The password is tried only if the entry is encrypted; encrypted
 * RAR entries cannot be decoded and fail. Messages go to the debug log. */
TAVORA_ARCHIVE_EXPORT int DecodeRarEntry(const char* entryName, const char* archivePath, const char* password,
                                         unsigned char** data, size_t* size);
TAVORA_ARCHIVE_EXPORT void UnRar_freedata(unsigned char* data);
/* Decodes one named entry straight into destFolder + "/" + entryName (a folder entry
 * creates the folder). Returns 1 on success, 0 on failure (nothing left behind). */
TAVORA_ARCHIVE_EXPORT int UnRar_extract(const char* entryName, const char* archivePath, const char* password,
                                        const char* destFolder);
/* Extracts a whole RAR archive into destFolder in one pass over it, in archive order: a
 * solid archive is decoded once, not once per entry. `choose` decides for each entry,
 * `done` follows each chosen one (encrypted entries fail with "encrypted": RAR
 * decryption is not available, whatever the password). Returns the number of entries
 * reached, or -1 when it is not a readable RAR archive. Messages go to the debug log. */
TAVORA_ARCHIVE_EXPORT int UnRar_extract_each(const char* archivePath, const char* password, const char* destFolder,
                                             TavoraEntryChoiceFn choose, TavoraEntryDoneFn done, void* context);
/* Where the debug log is written; the path is valid for the life of the module. */
TAVORA_ARCHIVE_EXPORT const char* UnRar_logpath(void);

/* ---- UnAlzipper.so ---------------------------------------------------------------- */
typedef struct TavoraAlz TavoraAlz;

/* Opens an ALZ archive with its other volumes (x.alz, x.a00, x.a01 ...). Null when it
 * is missing or not an ALZ archive. */
TAVORA_ARCHIVE_EXPORT TavoraAlz* UnAlzOpen(const char* archivePath);
/* Lists the entries; returns how many were listed, or -1 when the archive is damaged
 * before its first entry. A damaged archive lists the entries before the damage. */
TAVORA_ARCHIVE_EXPORT int UnAlzGetFileList(TavoraAlz* alz, TavoraArchiveEntryFn fn, void* context);
/* Selects the entry listed with this position; nonzero when it is an entry. */
TAVORA_ARCHIVE_EXPORT int UnAlzSetCurrentFile(TavoraAlz* alz, uint64_t position);
/* The password for encrypted entries (ZipCrypto); none is set at first, and an
 * encrypted entry then fails to extract. */
TAVORA_ARCHIVE_EXPORT void UnAlzSetPassword(TavoraAlz* alz, const char* password);
/* Extracts the selected entry below destFolder; nonzero on success. */
TAVORA_ARCHIVE_EXPORT int UnAlzExtractCurrentFile(TavoraAlz* alz, const char* destFolder);
/* The last extracted entry's file name (without folders) and its full path; "" before
 * the first success. Valid until the next call on the handle. */
TAVORA_ARCHIVE_EXPORT const char* GetszDestFileName(TavoraAlz* alz);
TAVORA_ARCHIVE_EXPORT const char* GetszDestPathFileName(TavoraAlz* alz);
TAVORA_ARCHIVE_EXPORT void UnAlzClose(TavoraAlz* alz);

/* Function pointer types for dlsym. */
typedef TavoraZip* (*PFN_OpenZip)(const char*, const char*);
typedef int (*PFN_GotoFirstFile)(TavoraZip*);
typedef int (*PFN_GotoNextFile)(TavoraZip*);
typedef int (*PFN_GetFileInfo)(TavoraZip*, TavoraArchiveEntry*);
typedef int (*PFN_Unzip)(TavoraZip*);
typedef void (*PFN_CloseZip)(TavoraZip*);
typedef int (*PFN_UnRar_list)(const char*, TavoraArchiveEntryFn, void*);
typedef int (*PFN_DecodeRarEntry)(const char*, const char*, const char*, unsigned char**, size_t*);
typedef void (*PFN_UnRar_freedata)(unsigned char*);
typedef int (*PFN_UnRar_extract)(const char*, const char*, const char*, const char*);
typedef int (*PFN_UnRar_extract_each)(const char*, const char*, const char*, TavoraEntryChoiceFn, TavoraEntryDoneFn,
                                      void*);
typedef int (*PFN_UnzipEach)(TavoraZip*, TavoraEntryDoneFn, void*);
typedef const char* (*PFN_UnRar_logpath)(void);
typedef TavoraAlz* (*PFN_UnAlzOpen)(const char*);
typedef int (*PFN_UnAlzGetFileList)(TavoraAlz*, TavoraArchiveEntryFn, void*);
typedef int (*PFN_UnAlzSetCurrentFile)(TavoraAlz*, uint64_t);
typedef void (*PFN_UnAlzSetPassword)(TavoraAlz*, const char*);
typedef int (*PFN_UnAlzExtractCurrentFile)(TavoraAlz*, const char*);
typedef const char* (*PFN_GetszDestFileName)(TavoraAlz*);
typedef const char* (*PFN_GetszDestPathFileName)(TavoraAlz*);
typedef void (*PFN_UnAlzClose)(TavoraAlz*);

#ifdef __cplusplus
}
#endif

#endif
