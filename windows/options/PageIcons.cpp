#include "PageIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace tavora {
namespace {

constexpr int kSize = 20;

void DrawGeneral(QPainter& p) {
    // A cog: eight teeth round a ring.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x55, 0x66, 0x80));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(10, 10);
        p.rotate(i * 45.0);
        p.drawRect(QRectF(-1.5, -9, 3, 4));
        p.restore();
    }
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(10, 10), 2.5, 2.5);
}

void DrawPlaylist(QPainter& p) {
    // A sheet with lines and a note.
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 13, 17));
    p.setPen(QPen(QColor(0x00, 0x46, 0xD5), 1.5));
    for (int y = 5; y <= 15; y += 3) p.drawLine(QPointF(6, y), QPointF(14, y));
}

void DrawSound(QPainter& p) {
    // A loudspeaker with two waves.
    QPainterPath speaker;
    speaker.moveTo(2, 7);
    speaker.lineTo(6, 7);
    speaker.lineTo(11, 3);
    speaker.lineTo(11, 17);
    speaker.lineTo(6, 13);
    speaker.lineTo(2, 13);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x00, 0x46, 0xD5), 1.5));
    p.drawArc(QRectF(9, 6, 6, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(8, 3, 10, 14), -50 * 16, 100 * 16);
}

void DrawSkin(QPainter& p) {
    // A palette with three colours.
    p.setPen(QColor(0x6b, 0x4a, 0x2b));
    p.setBrush(QColor(0xe8, 0xc8, 0x90));
    p.drawEllipse(QRectF(1.5, 3.5, 17, 13));
    p.setPen(Qt::NoPen);
    const QColor colours[] = {QColor(0xd0, 0x20, 0x20), QColor(0x20, 0x90, 0x20), QColor(0x20, 0x40, 0xd0)};
    const QPointF spots[] = {{6, 8}, {10, 6.5}, {14, 8.5}};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.drawEllipse(spots[i], 1.8, 1.8);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 12.5), 1.8, 1.8);
}

void DrawFileTypes(QPainter& p) {
    // A page with a folded corner and a link.
    QPainterPath page;
    page.moveTo(4, 1.5);
    page.lineTo(12, 1.5);
    page.lineTo(16, 5.5);
    page.lineTo(16, 18.5);
    page.lineTo(4, 18.5);
    page.closeSubpath();
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(12, 1.5), QPointF(12, 5.5));
    p.drawLine(QPointF(12, 5.5), QPointF(16, 5.5));
    p.setPen(QPen(QColor(0x00, 0x90, 0x40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8.5, 12), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
}

}  // namespace

QIcon OptionsPageIcon(int page) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (page) {
    case 0: DrawGeneral(p); break;
    case 1: DrawPlaylist(p); break;
    case 2: DrawSound(p); break;
    case 3: DrawSkin(p); break;
    case 4: DrawFileTypes(p); break;
    default: break;
    }
    p.end();
    return QIcon(pixmap);
}

}  // namespace tavora
