#pragma once
// PlaylistWindow: the skinned, resizable window around the playlist's list control.
//
// It draws its frame from the "ListControl" skin pictures (corners, edges repeated
// along the sides, the button bays, the resize grip and the scroll-bar column), has
// four windowless buttons (close; add, delete and list, which open the "ADD", "DEL"
// and "LIST" menus), its own accelerator table, a resize grip with an outline that
// follows the cursor and a minimum size (the main window's picture), can be dragged
// by its frame (10 pixels at the sides, 20 at the top, 25 at the bottom) and docks to
// the main window (see PlaylistGeometry.h for the rules). Everything the user asks
// for leaves as a controller command through the command sink.
//
// Docking is announced on the player's events (PlayerEvents::AnnouncePlaylistDocked:
// true while docked below, above or to the left of the main window), which the
// controller follows when the main window moves; dockState() gives the detail. The
// main window's rectangle, which the window snaps to, comes from the same events.
//
// GUI thread only.

#include <QRect>

#include <functional>
#include <map>
#include <string>

#include "CommandSink.h"
#include "SkinnedWindow.h"

class QMenu;
class QRubberBand;

namespace tavora {

class PlaylistListCtrl;
class PlaybackView;
class PlayerEvents;
class PlaylistModel;
class PlaylistScrollBar;

class PlaylistWindow : public SkinnedWindow {
    Q_OBJECT
public:

    static constexpr const char* kTitle = "TavoraPlayer List";
    static constexpr int kFrameSide = 10;
    static constexpr int kFrameTop = 20;
    static constexpr int kFrameBottom = 25;

    PlaylistWindow(PlaylistModel& model, QWidget* owner = nullptr);
    ~PlaylistWindow() override;

    void SetCommandSink(CommandSink* sink);
    // Where the docking is announced and the main window's rectangle read.
    void SetEvents(PlayerEvents* events) { events_ = events; }
    // The state a toggling menu item or key flips.
    void SetView(const PlaybackView* view);

    PlaylistListCtrl* list() const { return list_; }
    PlaylistScrollBar* scrollBar() const { return bar_; }

    // At the saved rectangle when there is a valid one, else below the main window
    // with the main picture's width and twice its height.
    void PlaceAtStart(const QRect& mainWindowRect);
    // "List.Size.Right", "List.Size.Bottom", "List.Size.Left", "List.Size.Top".
    void SaveRect() const;

    // The main window's picture size: the smallest the window may be resized to.
    QSize minimumListSize() const { return minimum_; }
    int dockState() const { return dockState_; }
    // The grip's hit area where it was last drawn, and the list's area.
    QRect gripRect() const;
    QRect listArea() const;
    bool resizing() const { return resizing_; }
    QRubberBand* rubberBand() const { return band_; }
    QMenu* buttonMenu(int button) const;
    // Snaps the window at `proposed` (used on every move, public for tests).
    QPoint Snap(QPoint proposed);

    enum Button { kClose = 0, kAdd = 1, kDel = 2, kList = 3 };

protected:
    void LoadSkin() override;
    void ComposeElements(QPainter& painter) override;
    bool IsOnControl(QPoint point) const override;
    bool MayStartMove(QPoint point) const override;
    void OnPress(QPoint point) override;
    void OnMove(QPoint point) override;
    void OnRelease(QPoint point) override;

    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    SkinElement& E(const char* id) { return elements_[id]; }
    const SkinElement& E(const char* id) const;
    void Send(cmd::Command command) const;
    // A menu item's or key's command number, sent as the command it stands for.
    void SendNumber(int number) const;
    void PlaceChildren(bool atCreation);
    void UpdateScrollRange();
    void OpenButtonMenu(int button);
    void InstallAccelerators();
    void FinishResize(QPoint point);

    PlaylistModel& model_;
    PlaylistListCtrl* list_ = nullptr;
    PlaylistScrollBar* bar_ = nullptr;
    QRubberBand* band_ = nullptr;
    std::map<std::string, SkinElement> elements_;
    std::map<int, QMenu*> menus_;
    CommandSink* send_ = nullptr;
    PlayerEvents* events_ = nullptr;
    const PlaybackView* view_ = nullptr;
    QSize minimum_;
    int dockState_ = 12;
    bool resizing_ = false;
    bool snapping_ = false;
    QPoint pressPoint_;
};

}  // namespace tavora
