#include "RowRefresh.h"

#include <algorithm>

#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {

int RefreshRows(PlaylistModel& model, int firstRow,
                const std::function<std::optional<RowText>(const std::string& path)>& read,
                const std::atomic<bool>* stop) {
    int changed = 0;
    for (int row = std::max(firstRow, 0); row <= model.LastIndex(); ++row) {
        if (stop && stop->load()) break;
        const std::string path = model.GetEntryField(row, kColumnPath);
        if (path.empty()) continue;
        const std::optional<RowText> text = read(path);
        if (!text) continue;
        const bool updated = text->time ? model.UpdateEntry(row, path, text->title, *text->time)
                                        : model.UpdateTitle(row, path, text->title);
        if (updated) ++changed;
    }
    return changed;
}

}  // namespace tavora
