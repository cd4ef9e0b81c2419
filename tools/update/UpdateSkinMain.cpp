// TavoraUpdateSkin: installs the skins offered by the update server.
//
// Fetches <server>/AutoUpdate/skin/TavoraSkins.zip into <install>/UpdateTemp, keeps it
// only when the signature beside it (TavoraSkins.zip.sig, see UpdateSignature.h)
// verifies, and unpacks its files into <install>/skin. Entry names come from the
// network: nothing is written outside the skins folder (no "..", no absolute names, no
// links). The player starts it when no skin is installed; it
// reads the server and the install folder from the player's settings store.
//
//   TavoraUpdateSkin            exit status 0 when the skins were installed
#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "DownloadFile.h"
#include "InstallFolder.h"
#include "SafeFile.h"
#include "UpdatePlan.h"
#include "UpdateServer.h"
#include "UpdateSignature.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kSkinArchiveName = "TavoraSkins.zip";

int Fail(const std::string& what) {
    std::fprintf(stderr, "TavoraUpdateSkin: %s\n", what.c_str());
    return 1;
}

// Unpacks the archive's regular files below `root`; the number written, -1 on failure.
int Unpack(const std::string& archivePath, const std::string& root, std::string& error) {
    archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    archive_read_support_filter_none(a);
    if (archive_read_open_filename(a, archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
        error = archive_error_string(a) ? archive_error_string(a) : "cannot open the archive";
        archive_read_free(a);
        return -1;
    }
    int written = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(a, &entry)) == ARCHIVE_OK) {
        if (archive_entry_filetype(entry) != AE_IFREG) continue;  // folders come with their files; links never
        const char* name = archive_entry_pathname_utf8(entry);
        if (!name) name = archive_entry_pathname(entry);
        if (!name) continue;
        tavora::unpack::SafeFile out;
        const bool sized = archive_entry_size_is_set(entry);
        if (!out.Open(root, name, sized ? static_cast<uint64_t>(archive_entry_size(entry)) : 0, sized)) {
            std::fprintf(stderr, "TavoraUpdateSkin: %s skipped\n", name);
            continue;
        }
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r = ARCHIVE_OK;
        bool ok = true;
        while ((r = archive_read_data_block(a, &block, &size, &offset)) == ARCHIVE_OK)
            if (!out.Write(block, size)) ok = false;
        if (r != ARCHIVE_EOF || !ok || !out.Commit()) {
            error = std::string("cannot unpack ") + name;
            archive_read_free(a);
            return -1;
        }
        ++written;
    }
    if (status != ARCHIVE_EOF) {
        error = archive_error_string(a) ? archive_error_string(a) : "damaged archive";
        written = -1;
    }
    archive_read_free(a);
    return written;
}

}  // namespace

int main() {
    const std::string install = tavora::InstallFolder();
    if (install.empty()) return Fail("the install folder is unknown");
    const std::string temp = install + "/" + tavora::kUpdateTempFolder;
    std::error_code ec;
    fs::create_directories(temp, ec);
    fs::create_directories(install + "/skin", ec);
    const std::string address = tavora::UpdateServerBase() + tavora::kSkinUpdatePath + kSkinArchiveName;
    const std::string archivePath = temp + "/" + kSkinArchiveName;
    const tavora::DownloadResult got =
        tavora::DownloadSignedFile(address, archivePath, kSkinArchiveName, {}, tavora::TrustedUpdateKey());
    if (!got.ok) return Fail(address + ": " + got.error);
    std::string error;
    const int written = Unpack(archivePath, install + "/skin", error);
    if (written < 0) return Fail(error);
    std::printf("TavoraUpdateSkin: %d files installed into %s/skin\n", written, install.c_str());
    return written > 0 ? 0 : 1;
}
