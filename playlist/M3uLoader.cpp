#include "M3uLoader.h"

#include <filesystem>

#include "DisplayTitle.h"
#include "PlaylistAdding.h"
#include "PlaylistEntry.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlaylistText.h"
#include "TrackLength.h"

namespace tavora {

M3uLoader::M3uLoader(PlaylistModel& model, M3uLoadServices services, std::mutex& m3uLoadLock)
    : model_(model), services_(std::move(services)), m3uLoadLock_(m3uLoadLock) {}

M3uLoadResult M3uLoader::LoadM3u(M3uLoadMode mode, const std::string& listPath, std::atomic<bool>* playFirstAdded) {
    const bool replace = mode == M3uLoadMode::Dialog;
    if (mode != M3uLoadMode::Dropped) playFirstAdded = nullptr;
    std::lock_guard lock(m3uLoadLock_);
    M3uLoadResult result;
    PlaylistLineReader reader;
    if (!reader.Open(listPath)) return result;
    result.opened = true;
    // Only now: a list that cannot be read leaves the old one in place.
    if (replace) model_.DeleteAllEntries();
    if (!services_.probeStream) return result;

    const std::string folder = std::filesystem::path(listPath).parent_path().string();
    ForEachM3uEntry(reader, folder, [&](const std::string& path) {
        if (services_.stop && services_.stop->load()) return;
        const std::optional<ProbedStream> probe = services_.probeStream(path);
        if (!probe) return;
        int row;
        if (HasUrlScheme(path)) {
            // A saved radio row comes back as one: "URL" makes the end of the previous
            // track open it as an internet stream.
            row = model_.AddEntry(AddressTitle(path), kTimeUrl, path);
        } else {
            const std::string title = services_.displayTitle ? services_.displayTitle(path) : FileNameTitle(path);
            row = model_.AddEntry(title, FormatTrackTime(static_cast<double>(probe->lengthSeconds)), path);
        }
        if (result.firstRow < 0) result.firstRow = row;
        ++result.rowsAdded;
        const bool play = result.rowsAdded == 1 && playFirstAdded && services_.playFirstRow &&
                          playFirstAdded->exchange(false);
        if (play) {
            {
                EntryGuard guard(model_);
                model_.SetSelectedIndexLocked(guard, row);
                model_.SetCurrentIndexLocked(guard, row);
            }
            services_.playFirstRow(row, *probe);
        } else if (services_.freeStream) {
            services_.freeStream(probe->handle);
        }
    });
    return result;
}

}  // namespace tavora
