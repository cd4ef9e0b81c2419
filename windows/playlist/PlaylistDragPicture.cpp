#include "PlaylistDragPicture.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace tavora {

DragPicture::DragPicture() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(kWidth, kHeight);
}

QImage DragPicture::Picture(bool severalRows) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const QColor edge(49, 49, 49), face(159, 159, 159), line(15, 15, 15);
    // A row card with two text strokes; several rows show a second card behind it.
    if (severalRows) {
        p.fillRect(QRect(6, 0, kWidth - 6, kHeight - 4), edge);
        p.fillRect(QRect(7, 1, kWidth - 8, kHeight - 6), face);
    }
    const int y0 = severalRows ? 4 : 2;
    const QRect card(0, y0, kWidth - (severalRows ? 6 : 0), kHeight - y0 - (severalRows ? 0 : 2));
    p.fillRect(card, edge);
    p.fillRect(card.adjusted(1, 1, -1, -1), face);
    p.fillRect(QRect(card.left() + 4, card.center().y() - 1, 10, 2), line);
    p.fillRect(QRect(card.left() + 18, card.center().y() - 1, card.width() - 26, 2), line);
    return image;
}

void DragPicture::ShowAt(QPoint globalCursor, bool severalRows) {
    image_ = Picture(severalRows);
    // White is transparent.
    const QPixmap pixmap = QPixmap::fromImage(image_);
    setMask(pixmap.createMaskFromColor(Qt::white));
    FollowTo(globalCursor);
    show();
}

void DragPicture::FollowTo(QPoint globalCursor) { move(globalCursor + QPoint(kCursorOffset, kCursorOffset)); }

void DragPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

}  // namespace tavora
