#pragma once
// The player's window set (WindowHost): the skinned windows by their part, owned by
// the invisible taskbar widget, which of them the playback state says are shown, their
// z-order, and the commands that act on the set: showing and closing the list, "Always
// Top", the rectangles, bringing a window to the front, minimising and the skin reload;
// and the geometry: the main window's saved place, the owner at the main window's
// top-left, the docked playlist window following the owner's moves.
//
// UI thread only.

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

#include "CommandRegistry.h"
#include "CommandSink.h"
#include "WindowHost.h"

namespace tavora {

class PlayerEvents;
struct PlaybackState;
class Settings;

class PlayerWindowSet : public WindowHost {
public:
    PlayerWindowSet(QWidget& owner, PlaybackState& state, const PlayerEvents& events, Settings& settings)
        : owner_(owner), state_(state), settings_(settings), events_(events) {}

    // The main window's saved place (the screen's first third when none); the owner
    // goes there, one pixel high.
    void PlaceAtStart();
    // The main window's rectangle as it announced it: the owner sits at its top-left.
    void FollowMainWindow(const QRect& rect);
    // The owner moved: the docked playlist window follows (once `following`).
    void OwnerMoved(bool following);
    // The owner's place from which its moves count.
    void NoteOwnerPlace();

    // The commands of the window set.
    void RegisterCommands(CommandRegistry& registry);
    // Puts the windows on top of others or not, as the state says.
    void ApplyAlwaysTop();

    QWidget* Owner() override { return &owner_; }
    void AddWindow(PlayerWindow which, QWidget* window) override;
    void AddOtherWindow(QWidget* window, std::function<bool()> meantToBeShown) override;
    QWidget* Window(PlayerWindow which) const override { return windows_[static_cast<size_t>(which)]; }
    QRect MainRect() const override { return mainRect_; }
    void NoteShown(PlayerWindow which, bool shown) override;
    void HideWindows() override;
    void ShowWindows() override;
    void SetListSelection(std::function<std::vector<int>()> selected) override { selection_ = std::move(selected); }
    std::vector<int> ListSelection() const override { return selection_ ? selection_() : std::vector<int>{}; }

    // Chooses the skin every window of the process reads, unless one is chosen already
    // (the skin system names the command it asks for by number).
    void ChooseSkin(CommandSink& sink);
    // Repaints every window of the set.
    void UpdateWindows();
    // Whether `widget` is one of the set.
    bool Contains(const QWidget* widget) const;

private:
    // Raises `target` when one of the set is the active window.
    void BringToFrontIfOurs(QWidget* target);

    QWidget& owner_;
    PlaybackState& state_;
    Settings& settings_;
    const PlayerEvents& events_;
    QRect mainRect_;
    QPoint lastPos_;
    std::array<QWidget*, kPlayerWindowCount> windows_{};
    struct OtherWindow {
        QPointer<QWidget> window;
        std::function<bool()> meantToBeShown;
    };
    std::vector<OtherWindow> others_;
    std::function<std::vector<int>()> selection_;
};

}  // namespace tavora
