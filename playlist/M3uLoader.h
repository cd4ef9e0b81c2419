#pragma once
// Loading M3U files into the playlist: "List Load" (replaces the list), the "-list"
// switch (appends) and dropped files (append, and may play the first new row).
//
// Every entry is opened the way the player would open it (the controller supplies the
// reading: a stream address through the network, a local song from its headers or by the
// audio engine): entries that do not open are skipped, the others become rows, in the
// file's order, with the length and the title the tag reader gives. An internet address
// becomes a stream row (title after its last "/", time "URL"). A song that the list names
// many times is read once per load.
//
// Threading: the loads run on worker threads started by the controller. M3uLoadLock is
// given by the caller and shared by every loader of the player (whichever command
// started the load), so two loads never interleave. The entries are read by a few
// threads of the load's own (joined before LoadM3u returns); rows are added in file
// order, in batches, whenever the next entry is not read yet or a batch is full, so the
// list fills while the file is read and the list control redraws once per batch.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace tavora {

class PlaylistModel;

struct ProbedStream {
    uint32_t handle = 0;
    long long lengthSeconds = 0;
};

// What a load learns of one entry.
struct M3uEntryInfo {
    std::string title;  // by the title rules; not used for an address
    long long lengthSeconds = 0;
};

struct M3uLoadServices {
    // Opens `path` as the player would and reads its title and length; nullopt when
    // nothing opens it. Called on the load's reading threads, several at once.
    std::function<std::optional<M3uEntryInfo>(const std::string& path)> readEntry;
    // Dropped-file mode: plays `row` (fades and frees the playing stream, starts the
    // new one). selectedIndex and currentIndex are already `row` when it is called.
    std::function<void(int row)> playFirstRow;
    // Raised when the player closes: the rest of the list is passed over.
    const std::atomic<bool>* stop = nullptr;
    // Entries read at once.
    int readers = 2;
};

struct M3uLoadResult {
    bool opened = false;  // false: the file could not be opened, the list is untouched
    int rowsAdded = 0;
    int firstRow = -1;
};

enum class M3uLoadMode {
    Dialog,       // "List Load": the list is emptied once the file has opened, then filled from it
    CommandLine,  // the "-list" switch: appends
    Dropped,      // a dropped file: appends, and may play its first row
};

class M3uLoader {
public:
    // `m3uLoadLock` is held for each whole load; every loader of one playlist must be
    // given the same lock.
    M3uLoader(PlaylistModel& model, M3uLoadServices services, std::mutex& m3uLoadLock);

    // In Dropped mode, if `playFirstAdded` is set when the first row is added, it is
    // cleared and that row is played (playFirstRow); the other modes ignore it.
    M3uLoadResult LoadM3u(M3uLoadMode mode, const std::string& listPath,
                          std::atomic<bool>* playFirstAdded = nullptr);

private:
    PlaylistModel& model_;
    M3uLoadServices services_;
    std::mutex& m3uLoadLock_;
};

}  // namespace tavora
