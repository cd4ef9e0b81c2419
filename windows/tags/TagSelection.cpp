#include "TagSelection.h"

#include <algorithm>

#include "DisplayTitle.h"

namespace tavora {

bool IsMp3EditorPath(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ext = path.substr(dot + 1);
    return ext.size() == 3 && (ext[0] == 'm' || ext[0] == 'M') && (ext[1] == 'p' || ext[1] == 'P') && ext[2] == '3';
}

TagWindowMode TagWindowModeFor(std::string_view path) {
    switch (TagSourceForPath(path)) {
    case TagSource::Wma: return TagWindowMode::Wma;
    case TagSource::Ogg: return TagWindowMode::Ogg;
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
