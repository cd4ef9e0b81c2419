#pragma once
// PlaylistListCtrl: the playlist's rows in the playlist window.
//
// It draws the rows of the playlist model (label, title, time) with fixed colours in
// 16-pixel rows, keeps the user's selection (Shift and Ctrl extend it, a caret moves
// with the keys), plays a row on double click, reorders the selected rows when they
// are dragged (with a small drag picture and auto-scroll near the edges), opens the
// context menu "리스트 메뉴", takes files and folders dropped from a file manager and
// scrolls with the wheel or its scroll bar. Only the rows in view are read and drawn,
// so a list of 100,000 rows paints and scrolls as fast as one of ten.
//
// It knows nothing of playback: every action leaves as a command through the sink
// (the controller in the program), dropped names with their path. The model's changes arrive through
// PlaylistModelSignals, queued onto the GUI thread, so worker threads that add rows
// never touch the widget.
//
// GUI thread only.

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

#include "CommandSink.h"
#include "PlaylistGeometry.h"

class QMenu;
class QUrl;

namespace tavora {

class PlaybackView;
class PlaylistModel;
class PlaylistModelSignals;
class PlaylistScrollBar;
class DragPicture;

class PlaylistListCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAutoScrollTimer = 11;
    static constexpr int kAutoScrollPeriodMs = 100;
    static constexpr int kTipLength = 79;

    PlaylistListCtrl(PlaylistModel& model, QWidget* parent = nullptr);
    ~PlaylistListCtrl() override;

    void SetCommandSink(CommandSink* sink) { send_ = sink; }
    // The state a toggling menu item flips.
    void SetView(const PlaybackView* view) { view_ = view; }
    void SetScrollBar(PlaylistScrollBar* bar);

    // Lays out the columns for the list's width and row count; repaints only when the
    // row count's digit count changed since the last layout (or when forced).
    void LayoutColumns(bool force = false);
    const ColumnLayout& columns() const { return layout_; }

    // --- View ------------------------------------------------------------------
    int topRow() const { return topRow_; }
    int rowCount() const { return rowCount_; }
    int rowsPerPage() const { return RowsPerPage(height()); }
    // Sets the top row (clamped) and tells the scroll bar.
    void ScrollTo(int topRow, bool repaintNow = true);
    void EnsureRowVisible(int row);

    // --- Selection -------------------------------------------------------------
    std::vector<int> SelectedRows() const;
    bool IsSelected(int row) const;
    int caretRow() const { return caret_; }
    void SelectOnly(int row);
    void SelectAll();
    void ClearSelection();

    bool dragging() const { return dragging_; }
    int autoScroll() const { return autoScroll_; }
    QMenu* contextMenu() const { return menu_; }

    // Files and folders dropped from a file manager: "List GetCount" once, then each
    // local name by its kind (DroppedKind.h) with the command that adds it, the name as its path.
    void AddDroppedNames(const QList<QUrl>& urls);

    // Stops listening to the model and shows an empty list; for an owner that destroys
    // the model before this widget (the controller at exit).
    void DetachFromModel();

    // Reads the row count from the model again (after changes the control did not see
    // as signals, and for "Invalidate List").
    void Resync();

signals:
    // The row count changed: the window redoes the column layout and the bar's range.
    void rowCountChanged(int rowCount);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Send(cmd::Command command, CommandData data = {}) const;
    void OnRowsAdded(int first, int count);
    void OnRowsRemoved(const QList<int>& rows);
    void OnAllRowsRemoved();
    void SetRowCount(int count);
    void ClickSelect(int row, Qt::KeyboardModifiers modifiers);
    void MoveCaret(int row, Qt::KeyboardModifiers modifiers);
    void StartDrag(QPoint at);
    void FinishDrag(QPoint at);
    void AutoScrollStep();
    void BuildContextMenu();

    PlaylistModel& model_;
    PlaylistModelSignals* signals_ = nullptr;
    bool detached_ = false;
    QPointer<PlaylistScrollBar> bar_;
    CommandSink* send_ = nullptr;
    const PlaybackView* view_ = nullptr;
    ColumnLayout layout_;
    int laidOutDigits_ = -1;
    QFont font_;

    int rowCount_ = 0;
    int topRow_ = 0;
    std::vector<char> selected_;  // one flag per row
    int caret_ = -1;
    int anchor_ = -1;

    bool dragging_ = false;
    std::vector<int> draggedRows_;
    int autoScroll_ = 0;  // 0 none, 1 down, 2 up
    QBasicTimer autoScrollTimer_;
    DragPicture* dragPicture_ = nullptr;
    QMenu* menu_ = nullptr;
};

}  // namespace tavora
