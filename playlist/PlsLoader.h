#pragma once
// Loading PLS files into the playlist: from the "-pls" switch, a dropped file, or an
// address with the PLS extension (which is downloaded first).
//
// Every "FileN=" value becomes a row in file order without being opened: its title is
// the value as written, its time "URL" for an address and "---" for anything else (a
// local path; Next and Back pass over those rows, a double click still plays them).
//
// Threading: runs on a worker thread; the download blocks that thread (with time and
// size limits, and ends early when `stop` is raised). Takes no lock of its own; rows
// are added in one step.

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

namespace tavora {

class PlaylistModel;

struct PlsLoadResult {
    bool read = false;  // false: the download failed or the file could not be opened
    int rowsAdded = 0;
    int firstRow = -1;
    // The first row added is an address: with the play-after-adding flag set, the
    // controller opens it as an internet stream and plays it.
    bool firstIsUrl = false;
};

// "http://", "Http://" or "HTTP://" at the start: a list to download.
bool IsDownloadablePls(std::string_view source);

// The folder downloaded lists go to: the user's templates folder + "/TavoraPlayer".
std::string PlsDownloadFolder();

// Fetches `address` into PlsDownloadFolder() under the name after its last "/";
// returns the local file, nullopt when the download failed or was stopped.
std::optional<std::string> DownloadPls(const std::string& address, const std::atomic<bool>* stop = nullptr);

PlsLoadResult LoadPls(PlaylistModel& model, const std::string& source, const std::atomic<bool>* stop = nullptr);

}  // namespace tavora
