#pragma once
// Menu and accelerator tables kept as data under res/menus (embedded in the program
// as ":/res/menus/menuNNN.json" and ":/res/menus/accelNNN.json", keyed by their
// resource numbers).
//
// A menu file is {"popups": [popup, ...]} where a popup is {"text": ..., "items":
// [...]} and an item is {"id": N, "text": ...}, {"separator": true} or a nested
// popup. An accelerator file is {"entries": [{"key": "Ctrl+L", "id": N}, ...]} with
// keys as QKeySequence reads them (portable text).
//
// The files ship with the program, but the readers still treat them as untrusted:
// anything malformed is skipped, nesting is bounded, nothing throws.
//
// Parsing is thread-safe; building a QMenu is GUI-thread only.

#include <QByteArray>
#include <QKeyCombination>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QMenu;

namespace tavora {

struct MenuItem {
    int id = 0;                    // command of a plain item
    QString text;
    bool separator = false;
    std::vector<MenuItem> items;   // a popup's items (empty for plain items)
    bool IsPopup() const { return !items.empty(); }
};

inline constexpr int kMaxMenuDepth = 8;

// The popups of a menu resource (empty when the text is not a menu file).
std::vector<MenuItem> ParseMenuResource(const QByteArray& json);
// Key -> command; later entries for the same key are ignored.
std::map<int, int> ParseAcceleratorTable(const QByteArray& json);
// The key a key event gives, in the form the accelerator table is keyed by.
int AcceleratorKey(QKeyCombination combination);

// Reads ":/res/menus/menu<number>.json" / "accel<number>.json".
std::vector<MenuItem> LoadMenuResource(int number);
std::map<int, int> LoadAcceleratorTable(int number);

// Fills a QMenu from a popup's items. `checked` says which commands get a check mark;
// choosing an item leaves its id in the action's data.
void FillMenu(QMenu& menu, const MenuItem& popup, const std::function<bool(int id)>& checked);

}  // namespace tavora
