#include "ArchiveReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "ArchiveFunctions.h"
#include "ArchiveLoading.h"
#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "InstallFolder.h"
#include "PlaylistEntry.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "TempFolderSweep.h"
#include "UiThread.h"

namespace tavora {
namespace {

void Refuse(const std::string& archivePath, const std::string& why) {
    std::fprintf(stderr, "tavoraplayer: archive %s not listed: %s\n", archivePath.c_str(), why.c_str());
}

// The install folder's "Temp", made when missing; "" when there is none to use.
std::string TempFolderFor(const std::string& archivePath) {
    const std::string install = InstallFolder();
    if (install.empty()) {
        Refuse(archivePath, "the install folder is unknown");
        return {};
    }
    const std::string temp = install + "/Temp";
    if (::mkdir(temp.c_str(), 0755) != 0 && errno != EEXIST) {
        Refuse(archivePath, temp + " cannot be made");
        return {};
    }
    struct stat st {};
    if (::lstat(temp.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        Refuse(archivePath, temp + " is not a folder");
        return {};
    }
    return temp;
}

// Runs on a job: lists and extracts, then shows the rows (and plays the first).
template <typename Functions, typename Load>
void StartJob(CTavoraPlayerDlg& dlg, const char* kind, Functions functions, Load load, std::string archivePath,
              std::string temp, bool play) {
    dlg.jobs().Start(kind, [&dlg, functions, load, archivePath = std::move(archivePath), temp = std::move(temp),
                            play](const std::atomic<bool>& stop) {
        ArchiveTarget target;
        target.model = &dlg.playlist();
        target.tempFolder = temp;
        target.stop = &stop;
        // The first song plays as soon as its file is there, while the rest extract.
        if (play)
            target.firstRowAdded = [&dlg](int row) {
                RunOnUiThread(&dlg, [&dlg, row] {
                    if (!dlg.isDestroyed()) dlg.playback().PlayRow(row);
                });
            };
        const ArchiveLoadResult result = load(functions, archivePath, target);
        // Also what tells a watcher that the archive is done.
        if (result.opened)
            std::fprintf(stderr, "tavoraplayer: archive %s: %d song(s) added, %d entr%s skipped\n", archivePath.c_str(),
                         result.rowsAdded, result.skipped, result.skipped == 1 ? "y" : "ies");
        if (result.rowsAdded > 0) dlg.Post(cmd::InvalidateList);
    });
}

void StartArchiveLoad(CTavoraPlayerDlg& dlg, const std::string& archivePath, bool play) {
    const std::string_view ext = ExtensionOf(archivePath);
    const bool zip = ExtensionIs(ext, "zip"), rar = ExtensionIs(ext, "rar"), alz = ExtensionIs(ext, "alz");
    if (!zip && !rar && !alz) return;
    const AudioLibrary& audio = dlg.audio();
    const SymbolLookup lookup = [&audio](const char* file, const char* symbol) { return audio.Symbol(file, symbol); };
    auto missing = [&](const char* module) { Refuse(archivePath, std::string(module) + " is missing"); };
    if (zip) {
        const ZipFunctions f = ResolveZipFunctions(lookup);
        if (!f.Complete()) return missing(kUnZipModule);
        if (std::string temp = TempFolderFor(archivePath); !temp.empty())
            StartJob(dlg, "ZipLoad", f, LoadZipArchive, archivePath, std::move(temp), play);
    } else if (rar) {
        const RarFunctions f = ResolveRarFunctions(lookup);
        if (!f.Complete()) return missing(kUnRarModule);
        if (std::string temp = TempFolderFor(archivePath); !temp.empty())
            StartJob(dlg, "RarLoad", f, LoadRarArchive, archivePath, std::move(temp), play);
    } else {
        const AlzFunctions f = ResolveAlzFunctions(lookup);
        if (!f.Complete()) return missing(kUnAlzipperModule);
        if (std::string temp = TempFolderFor(archivePath); !temp.empty())
            StartJob(dlg, "AlzLoad", f, LoadAlzArchive, archivePath, std::move(temp), play);
    }
}

}  // namespace

void InstallArchiveReader(CTavoraPlayerDlg& dlg) {
    dlg.RegisterCommand(cmd::StartArchiveLoad, [&dlg](const CommandData& d) {
        if (!d.path.empty()) StartArchiveLoad(dlg, d.path, d.value.value_or(0) == 1);
    });
    // The jobs have stopped by now; what they extracted but no row names goes.
    dlg.AddShutdownStep(ShutdownPhase::CloseWindows, [] { SweepTempFolder(InstallFolder()); });
}

}  // namespace tavora
