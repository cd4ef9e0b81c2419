#pragma once
// Loading M3U files into the playlist: "List Load" (replaces the list), the "-list"
// switch (appends) and dropped files (append, and may play the first new row).
//
// Every entry is opened as a decoding-only stream first (the audio engine's
// ProbeStream, supplied by the controller): entries that do not open are skipped, the
// others become rows with the probed length and the title the tag reader gives. An
// internet address becomes a stream row (title after its last "/", time "URL").
//
// Threading: the loads run on worker threads started by the controller. M3uLoadLock is
// given by the caller and shared by every loader of the player (whichever command
// started the load), so two loads never interleave; rows are added one at a time, so
// the list fills while the file is read. The services are called on the loading thread.

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

struct M3uLoadServices {
    // Opens `path` as a decoding-only stream; nullopt when nothing opens it.
    std::function<std::optional<ProbedStream>(const std::string& path)> probeStream;
    // Frees a probe stream that is not kept.
    std::function<void(uint32_t handle)> freeStream;
    // The row title by the title rules (tag titles for MP3, WMA/ASF and OGG files);
    // the file-name title when not set.
    std::function<std::string(const std::string& path)> displayTitle;
    // Dropped-file mode: plays `row` with its probe stream, which it takes over (fades
    // and frees the playing stream, starts the new one). selectedIndex and currentIndex
    // are already `row` when it is called.
    std::function<void(int row, const ProbedStream& stream)> playFirstRow;
    // Raised when the player closes: the rest of the list is passed over.
    const std::atomic<bool>* stop = nullptr;
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
