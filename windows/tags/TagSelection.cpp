#include "TagSelection.h"

#include <algorithm>

#include "MediaTypes.h"

namespace tavora {

bool IsMp3EditorPath(std::string_view path) {
    return media::InUse(media::Use::Mp3TagEditor, media::ExtensionOfName(path));
}

TagWindowMode TagWindowModeFor(std::string_view path) {
    switch (media::TagWindowTagsOf(path)) {
    case media::TagFormat::Asf: return TagWindowMode::Wma;
    case media::TagFormat::Vorbis: return TagWindowMode::Ogg;
    default: return TagWindowMode::None;
    }
}

TagSelection BuildTagSelection(std::vector<int> selectedRows, const std::function<std::string(int row)>& pathOfRow) {
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    TagSelection selection;
    for (const int row : selectedRows) {
        if (row < 0) continue;
        TaggedRow tagged{pathOfRow(row), row};
        if (tagged.path.empty()) continue;  // the row is gone
        (IsMp3EditorPath(tagged.path) ? selection.mp3 : selection.other).push_back(std::move(tagged));
    }
    return selection;
}

}  // namespace tavora
