#include "PlaylistScrollBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "PlaylistGeometry.h"

namespace tavora {

PlaylistScrollBar::PlaylistScrollBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, 0);
}

void PlaylistScrollBar::SetPictures(const QImage& thumb, const QImage& track) {
    thumb_ = thumb;
    track_ = track;
    update();
}

void PlaylistScrollBar::SetRange(int rowsPerPage, int rowCount) {
    if (rowsPerPage == rowsPerPage_ && rowCount == rowCount_) return;
    rowsPerPage_ = rowsPerPage;
    rowCount_ = rowCount;
    update();
}

void PlaylistScrollBar::SetTopRow(int topRow) {
    thumbDragging_ = false;
    if (topRow == topRow_) return;
    topRow_ = topRow;
    update();
}

int PlaylistScrollBar::thumbOffset() const {
    if (thumbDragging_) return dragOffset_;
    return ThumbOffset(height(), thumbHeight(), rowsPerPage_, rowCount_, topRow_);
}

void PlaylistScrollBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (track_.isNull()) {
        painter.fillRect(rect(), QColor(159, 159, 159));
    } else {
        // The track's first row, repeated down the whole height.
        const int columns = std::min(width(), track_.width());
        painter.drawImage(QRect(0, 0, columns, height()), track_, QRect(0, 0, columns, 1));
        if (columns < width()) painter.fillRect(QRect(columns, 0, width() - columns, height()), Qt::black);
    }
    if (range() > 0 && !thumb_.isNull()) painter.drawImage(QPoint(0, thumbOffset()), thumb_);
}

void PlaylistScrollBar::TrackTo(int y, bool repaintNow) {
    const int travel = std::max(height() - thumbHeight(), 0);
    dragOffset_ = std::clamp(y - thumbHeight() / 2, 0, travel);
    const int top = TopRowForThumb(y, height(), thumbHeight(), range());
    emit scrollTo(top, repaintNow);
    // The list's answer (SetTopRow) ends the positioning by the pointer; the thumb
    // stays under the pointer while the button is held.
    thumbDragging_ = true;
    update();
}

void PlaylistScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || range() <= 0) return;
    TrackTo(event->position().toPoint().y(), true);
}

void PlaylistScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || range() <= 0) return;
    TrackTo(event->position().toPoint().y(), false);
}

void PlaylistScrollBar::mouseReleaseEvent(QMouseEvent*) {
    thumbDragging_ = false;
    update();
}

}  // namespace tavora
