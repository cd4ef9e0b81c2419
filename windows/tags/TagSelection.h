#pragma once
// Which tag editor takes which selected playlist row: MP3 rows go to the MP3 tag editor,
// the others to the WMA/OGG tag window, each list in ascending row order.
// Pure functions, thread-safe.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavora {

struct TaggedRow {
    std::string path;
    int row = -1;  // playlist row index
};

struct TagSelection {
    std::vector<TaggedRow> mp3;
    std::vector<TaggedRow> other;
};

// The media table's MP3-editor use: the editor takes every spelling of the extension.
bool IsMp3EditorPath(std::string_view path);

enum class TagWindowMode { None, Wma, Ogg };
// The media table's tag-window use (all lower- or all upper-case): WMA for ASF tags,
// OGG for Vorbis comments; None otherwise.
TagWindowMode TagWindowModeFor(std::string_view path);

// Splits the selected rows (any order, duplicates ignored) by their paths.
TagSelection BuildTagSelection(std::vector<int> selectedRows, const std::function<std::string(int row)>& pathOfRow);

}  // namespace tavora
