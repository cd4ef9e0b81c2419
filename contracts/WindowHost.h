#pragma once
// The player's windows as one set: the invisible taskbar widget that owns them (and
// the dialogs), the skinned windows by their part, which of them are meant to be
// shown, and the playlist's selection for the features that act on selected rows.
// A window joins the set with AddWindow at its creation step; nobody else lists the
// windows by hand.
//
// Threading: UI thread.

#include <QRect>

#include <functional>
#include <vector>

class QWidget;

namespace tavora {

enum class PlayerWindow : int { Main = 0, Playlist, Equalizer };
inline constexpr int kPlayerWindowCount = 3;

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The invisible taskbar widget: owner of the skinned windows and the dialogs.
    virtual QWidget* Owner() = 0;
    virtual void AddWindow(PlayerWindow which, QWidget* window) = 0;
    // A window of another feature joins the set: it hides and comes back with the
    // others (when `meantToBeShown` says so), counts as the player's own for raising,
    // and follows "Always Top". It may be destroyed before the set.
    virtual void AddOtherWindow(QWidget* window, std::function<bool()> meantToBeShown) = 0;
    // The window of a part, or null (not created yet, or the part is not installed).
    virtual QWidget* Window(PlayerWindow which) const = 0;
    // Where the main window goes: its saved place at start, its rectangle later.
    virtual QRect MainRect() const = 0;
    // Records whether a window is meant to be shown (the playback state's flags; the
    // window itself shows or slides out by its own means).
    virtual void NoteShown(PlayerWindow which, bool shown) = 0;
    // Hides every window of the set; shows the main window and the others meant to be
    // shown.
    virtual void HideWindows() = 0;
    virtual void ShowWindows() = 0;
    // The rows selected in the playlist window (set by the playlist window).
    virtual void SetListSelection(std::function<std::vector<int>()> selected) = 0;
    virtual std::vector<int> ListSelection() const = 0;
};

}  // namespace tavora
