// The list's two kinds of dragging: moving the selected rows within the list, and
// files and folders dropped from a file manager.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QUrl>

#include <algorithm>

#include "Commands.h"
#include "DroppedKind.h"
#include "PlaylistDragPicture.h"
#include "PlaylistListCtrl.h"
#include "PlaylistModel.h"
#include "PlaylistScrollBar.h"

namespace tavora {

Q_LOGGING_CATEGORY(lcDrop, "tavora.playlist.drop", QtWarningMsg)

namespace {
constexpr int kAutoScrollMargin = 20;
// Longer names never reach the add commands (they would arrive cut).
constexpr int kMaxDroppedName = 1023;
}  // namespace

void PlaylistListCtrl::StartDrag(QPoint at) {
    dragging_ = true;
    draggedRows_ = SelectedRows();
    autoScroll_ = 0;
    autoScrollTimer_.start(kAutoScrollPeriodMs, this);
    if (!dragPicture_) dragPicture_ = new DragPicture();
    dragPicture_->ShowAt(mapToGlobal(at), draggedRows_.size() > 1);
}

void PlaylistListCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint at = event->position().toPoint();
    if (dragPicture_) dragPicture_->FollowTo(mapToGlobal(at));
    if (at.y() > height() - kAutoScrollMargin) {
        autoScroll_ = 1;
    } else if (at.y() < kAutoScrollMargin) {
        autoScroll_ = 2;
        update();
    } else {
        autoScroll_ = 0;
    }
}

void PlaylistListCtrl::timerEvent(QTimerEvent* event) {
    if (event->timerId() != autoScrollTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    AutoScrollStep();
}

void PlaylistListCtrl::AutoScrollStep() {
    if (autoScroll_ == 1) ScrollTo(std::min(topRow_ + 1, std::max(rowCount_ - 1, 0)), false);
    else if (autoScroll_ == 2) ScrollTo(std::max(topRow_ - 1, 0), true);
    if (bar_) bar_->SetTopRow(topRow_);
}

void PlaylistListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        FinishDrag(event->position().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void PlaylistListCtrl::FinishDrag(QPoint at) {
    if (detached_) return;
    if (dragPicture_) dragPicture_->hide();
    autoScrollTimer_.stop();
    autoScroll_ = 0;
    dragging_ = false;

    const int selectedIndex = RowAt(topRow_, at.y());
    model_.SetSelectedIndex(selectedIndex);
    const int count = model_.RowCount();
    std::vector<int> rows;
    rows.swap(draggedRows_);
    if (count == 0 || rows.empty()) return;
    const int dropRow = std::clamp(selectedIndex, 0, count - 1);
    const int keepTop = topRow_;
    // Dropping a block onto itself changes nothing; the model keeps the list as it is.
    const bool ontoItself = std::find(rows.begin(), rows.end(), dropRow) != rows.end() &&
                            rows.back() - rows.front() + 1 == static_cast<int>(rows.size());
    if (!ontoItself) model_.MoveEntries(rows, dropRow);
    // The moved rows lose their selection; the row under the drop point is selected.
    SetRowCount(model_.RowCount());
    SelectOnly(dropRow);
    ScrollTo(keepTop, true);
}

// --- Dropped from a file manager ----------------------------------------------------

void PlaylistListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PlaylistListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PlaylistListCtrl::dropEvent(QDropEvent* event) {
    AddDroppedNames(event->mimeData()->urls());
    event->acceptProposedAction();
}

void PlaylistListCtrl::AddDroppedNames(const QList<QUrl>& urls) {
    if (detached_) return;
    bool first = true;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString local = url.toLocalFile();
        const std::string name = QDir::cleanPath(local).toStdString();
        if (name.empty() || name.size() > static_cast<size_t>(kMaxDroppedName)) continue;
        if (first) {
            // The add commands title and measure the new rows from this count on.
            Send(cmd::MarkAddStart);
            first = false;
        }
        const DroppedKind kind = ClassifyDropped(name, QFileInfo(local).isDir());
        qCInfo(lcDrop) << "dropped" << local << "kind" << static_cast<int>(kind);
        Send(DroppedCommand(kind), CommandData::Path(name));
    }
}

}  // namespace tavora
