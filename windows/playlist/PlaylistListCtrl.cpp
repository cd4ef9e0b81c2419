#include "PlaylistListCtrl.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

#include "CommandNumbers.h"
#include "Commands.h"
#include "PlaylistDragPicture.h"
#include "PlaylistMenus.h"
#include "PlaylistModel.h"
#include "PlaylistModelSignals.h"
#include "PlaybackView.h"
#include "PlaylistScrollBar.h"
#include "SkinFonts.h"

namespace tavora {

namespace {
const QColor kBackground(159, 159, 159);
const QColor kSelectedBackground(15, 15, 15);
const QColor kHighlightText(255, 255, 255);
const QColor kText(49, 49, 49);
}  // namespace

PlaylistListCtrl::PlaylistListCtrl(PlaylistModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMouseTracking(false);
    font_ = MakeSkinFont("굴림", 12);
    signals_ = new PlaylistModelSignals(model_, this);
    // Queued: the model may change on a loader thread; the rows are read here.
    connect(signals_, &PlaylistModelSignals::rowsAdded, this, &PlaylistListCtrl::OnRowsAdded, Qt::QueuedConnection);
    connect(signals_, &PlaylistModelSignals::rowsRemoved, this, &PlaylistListCtrl::OnRowsRemoved,
            Qt::QueuedConnection);
    connect(signals_, &PlaylistModelSignals::allRowsRemoved, this, &PlaylistListCtrl::OnAllRowsRemoved,
            Qt::QueuedConnection);
    auto repaint = [this] { update(); };
    connect(signals_, &PlaylistModelSignals::rowsMoved, this, repaint, Qt::QueuedConnection);
    connect(signals_, &PlaylistModelSignals::rowsChanged, this, repaint, Qt::QueuedConnection);
    connect(signals_, &PlaylistModelSignals::currentRowChanged, this, repaint, Qt::QueuedConnection);
    BuildContextMenu();
    SetRowCount(model_.RowCount());
}

PlaylistListCtrl::~PlaylistListCtrl() {
    // Stop the model's calls before the widget goes.
    delete signals_;
    signals_ = nullptr;
}

void PlaylistListCtrl::DetachFromModel() {
    delete signals_;
    signals_ = nullptr;
    detached_ = true;
    draggedRows_.clear();
    dragging_ = false;
    autoScrollTimer_.stop();
    selected_.clear();
    caret_ = anchor_ = -1;
    rowCount_ = 0;
    topRow_ = 0;
    update();
}

void PlaylistListCtrl::Send(cmd::Command command, CommandData data) const {
    if (send_) send_->Send(command, std::move(data));
}

void PlaylistListCtrl::BuildContextMenu() {
    menu_ = BuildPlaylistMenu("리스트 메뉴", this, [this](int number) {
        if (const auto c = cmd::FromNumber(number, view_ ? view_->State() : PlaybackState{})) Send(c->command, c->data);
    });
}

void PlaylistListCtrl::SetScrollBar(PlaylistScrollBar* bar) {
    bar_ = bar;
    if (!bar_) return;
    connect(bar_, &PlaylistScrollBar::scrollTo, this, [this](int top, bool now) { ScrollTo(top, now); });
    bar_->SetRange(rowsPerPage(), rowCount_);
    bar_->SetTopRow(topRow_);
}

void PlaylistListCtrl::LayoutColumns(bool force) {
    layout_ = ComputeColumns(width(), rowCount_);
    if (force || layout_.digits != laidOutDigits_) {
        laidOutDigits_ = layout_.digits;
        update();
    }
}

// --- Rows from the model ----------------------------------------------------------

void PlaylistListCtrl::SetRowCount(int count) {
    count = std::max(count, 0);
    const bool changed = count != rowCount_;
    rowCount_ = count;
    selected_.resize(static_cast<size_t>(count), 0);
    if (caret_ >= count) caret_ = count - 1;
    if (anchor_ >= count) anchor_ = caret_;
    const int maxTop = MaxTopRow(rowCount_, rowsPerPage());
    if (topRow_ > maxTop) ScrollTo(maxTop, false);
    if (changed) emit rowCountChanged(rowCount_);
    if (bar_) bar_->SetRange(rowsPerPage(), rowCount_);
    update();
}

void PlaylistListCtrl::OnRowsAdded(int, int) { SetRowCount(model_.RowCount()); }

void PlaylistListCtrl::OnRowsRemoved(const QList<int>& rows) {
    // Ascending indices counted before the removal: erase from the back.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(selected_.size())) selected_.erase(selected_.begin() + *it);
    SetRowCount(model_.RowCount());
}

void PlaylistListCtrl::OnAllRowsRemoved() {
    selected_.clear();
    caret_ = anchor_ = -1;
    topRow_ = 0;
    if (bar_) bar_->SetTopRow(0);
    SetRowCount(model_.RowCount());
}

void PlaylistListCtrl::Resync() {
    if (detached_) return;
    SetRowCount(model_.RowCount());
    LayoutColumns();
    update();
}

// --- View -------------------------------------------------------------------------

void PlaylistListCtrl::ScrollTo(int top, bool repaintNow) {
    top = std::clamp(top, 0, MaxTopRow(rowCount_, rowsPerPage()));
    const bool moved = top != topRow_;
    topRow_ = top;
    if (moved || repaintNow) update();
    if (bar_) bar_->SetTopRow(topRow_);
}

void PlaylistListCtrl::EnsureRowVisible(int row) {
    if (row < 0 || row >= rowCount_) return;
    const int perPage = std::max(rowsPerPage(), 1);
    if (row < topRow_) ScrollTo(row);
    else if (row >= topRow_ + perPage) ScrollTo(row - perPage + 1);
}

void PlaylistListCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (bar_) bar_->SetRange(rowsPerPage(), rowCount_);
    ScrollTo(topRow_, true);
}

// --- Selection --------------------------------------------------------------------

std::vector<int> PlaylistListCtrl::SelectedRows() const {
    std::vector<int> rows;
    for (int r = 0; r < static_cast<int>(selected_.size()); ++r)
        if (selected_[static_cast<size_t>(r)]) rows.push_back(r);
    return rows;
}

bool PlaylistListCtrl::IsSelected(int row) const {
    return row >= 0 && row < static_cast<int>(selected_.size()) && selected_[static_cast<size_t>(row)];
}

void PlaylistListCtrl::ClearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
    update();
}

void PlaylistListCtrl::SelectOnly(int row) {
    std::fill(selected_.begin(), selected_.end(), 0);
    if (row >= 0 && row < rowCount_) {
        selected_[static_cast<size_t>(row)] = 1;
        caret_ = anchor_ = row;
    }
    update();
}

void PlaylistListCtrl::SelectAll() {
    std::fill(selected_.begin(), selected_.end(), 1);
    update();
}

void PlaylistListCtrl::ClickSelect(int row, Qt::KeyboardModifiers modifiers) {
    if (row < 0 || row >= rowCount_) return;
    if (modifiers & Qt::ShiftModifier) {
        if (!(modifiers & Qt::ControlModifier)) std::fill(selected_.begin(), selected_.end(), 0);
        const int from = anchor_ >= 0 ? anchor_ : row;
        for (int r = std::min(from, row); r <= std::max(from, row); ++r) selected_[static_cast<size_t>(r)] = 1;
        caret_ = row;
    } else if (modifiers & Qt::ControlModifier) {
        selected_[static_cast<size_t>(row)] ^= 1;
        caret_ = anchor_ = row;
    } else {
        SelectOnly(row);
    }
    update();
}

void PlaylistListCtrl::MoveCaret(int row, Qt::KeyboardModifiers modifiers) {
    if (rowCount_ == 0) return;
    row = std::clamp(row, 0, rowCount_ - 1);
    if (modifiers & Qt::ShiftModifier) {
        ClickSelect(row, modifiers & ~Qt::ControlModifier);
    } else if (modifiers & Qt::ControlModifier) {
        caret_ = row;  // the caret moves alone
    } else {
        SelectOnly(row);
    }
    EnsureRowVisible(row);
    update();
}

// --- Painting ---------------------------------------------------------------------

void PlaylistListCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font_);
    const QRect dirty = event->rect();
    if (rowCount_ == 0) {
        painter.fillRect(dirty, kBackground);
        return;
    }
    // Only the rows that meet the dirty rectangle.
    const int firstVisible = topRow_ + std::max(dirty.top(), 0) / kListRowHeight;
    const int lastVisible = std::min(rowCount_ - 1, topRow_ + dirty.bottom() / kListRowHeight);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    for (int row = firstVisible; row <= lastVisible; ++row) {
        const int y = (row - topRow_) * kListRowHeight;
        const QRect rowRect(0, y, width(), kListRowHeight);
        const std::optional<PlaylistEntry> entry = model_.Entry(row);
        const bool selected = IsSelected(row);
        const bool highlight = entry && entry->isCurrent;
        painter.fillRect(rowRect, selected ? kSelectedBackground : kBackground);
        if (!entry) continue;
        painter.setPen(selected || highlight ? kHighlightText : kText);
        const RowCells cells = CellsOfRow(layout_, y);
        painter.drawText(cells.label.adjusted(1, 0, 0, 0), flags | Qt::AlignLeft, QString::fromStdString(entry->label));
        painter.drawText(cells.title.adjusted(1, 0, 0, 0), flags | Qt::AlignLeft, QString::fromStdString(entry->title));
        painter.drawText(cells.time.adjusted(1, 0, 0, 0), flags | Qt::AlignRight, QString::fromStdString(entry->time));
    }
    const int below = (lastVisible - topRow_ + 1) * kListRowHeight;
    if (below <= dirty.bottom()) painter.fillRect(QRect(0, below, width(), height() - below), kBackground);
}

// --- Mouse ------------------------------------------------------------------------

void PlaylistListCtrl::mousePressEvent(QMouseEvent* event) {
    if (detached_) return;
    const QPoint at = event->position().toPoint();
    const int row = RowAt(topRow_, at.y());
    if (event->button() == Qt::LeftButton) {
        model_.SetSelectedIndex(row);
        if (IsSelected(row)) {
            StartDrag(at);  // the multiple selection stays as it is
            return;
        }
        ClickSelect(row, event->modifiers());
        return;
    }
    if (event->button() == Qt::RightButton) {
        model_.SetSelectedIndex(row);
        if (row >= 0 && row < rowCount_) {
            if (!IsSelected(row)) SelectOnly(row);
            selected_[static_cast<size_t>(row)] = 1;
            caret_ = row;
            update();
        }
        menu_->popup(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void PlaylistListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (detached_ || event->button() != Qt::LeftButton) return;
    // The second press of a double click selects as a press does, without a drag.
    const int row = RowAt(topRow_, event->position().toPoint().y());
    model_.SetSelectedIndex(row);
    if (!IsSelected(row)) ClickSelect(row, event->modifiers());
    // The caret row takes the current-row mark, then the row under the cursor plays.
    if (caret_ >= 0 && caret_ < rowCount_) {
        model_.MarkCurrentRow(caret_);
        model_.SetCurrentIndex(caret_);
    }
    const int selectedIndex = model_.SelectedIndex();
    if (selectedIndex >= 0 && selectedIndex <= model_.LastIndex()) {
        model_.SetCurrentIndex(selectedIndex);
        Send(cmd::ListDbClickPlay);
    }
}

bool PlaylistListCtrl::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !detached_) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = RowAt(topRow_, help->pos().y());
        const std::string title = model_.GetEntryField(row, kColumnTitle);
        if (row < 0 || row >= rowCount_ || title.empty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const QString tip = QString::fromStdString(title).left(kTipLength);
        const QRect rowRect(0, (row - topRow_) * kListRowHeight, width(), kListRowHeight);
        QToolTip::showText(help->globalPos(), tip, this, rowRect);
        return true;
    }
    return QWidget::event(event);
}

void PlaylistListCtrl::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    // One line for the notch itself, then the desktop's usual lines per notch.
    const int lines = 1 + QApplication::wheelScrollLines() * std::abs(delta) / 120;
    ScrollTo(topRow_ + (delta > 0 ? -lines : lines), true);
    event->accept();
}

// --- Keys -------------------------------------------------------------------------

void PlaylistListCtrl::keyPressEvent(QKeyEvent* event) {
    if (detached_) {
        event->ignore();
        return;
    }
    model_.SetSelectedIndex(caret_);
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int perPage = std::max(rowsPerPage(), 1);
    const int caret = caret_ < 0 ? 0 : caret_;
    switch (event->key()) {
    case Qt::Key_Up: MoveCaret(caret_ < 0 ? 0 : caret - 1, mods); break;
    case Qt::Key_Down: MoveCaret(caret_ < 0 ? 0 : caret + 1, mods); break;
    case Qt::Key_PageUp: MoveCaret(caret - perPage + 1, mods); break;
    case Qt::Key_PageDown: MoveCaret(caret + perPage - 1, mods); break;
    case Qt::Key_Home: MoveCaret(0, mods); break;
    case Qt::Key_End: MoveCaret(rowCount_ - 1, mods); break;
    default:
        event->ignore();  // the window's keys (Space plays)
        return;
    }
    event->accept();
}

void PlaylistListCtrl::keyReleaseEvent(QKeyEvent* event) {
    if (!detached_) model_.SetSelectedIndex(caret_);
    event->ignore();
}

}  // namespace tavora
