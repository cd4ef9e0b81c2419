#include "TextLine.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLine>

#include <algorithm>
#include <cmath>

namespace tavora {

void TextLine::Set(const QString& text, const QFont& font) {
    if (laidOut_ && text == text_ && font == font_) return;
    laidOut_ = true;
    text_ = text;
    font_ = font;
    layout_.reset();
    runs_.clear();
    width_ = height_ = 0;
    if (text.isEmpty()) return;  // drawText draws nothing for an empty text
    // A single line: carriage returns and line feeds become spaces.
    QString line = text;
    for (QChar& c : line)
        if (c == u'\r' || c == u'\n') c = u' ';
    layout_ = std::make_unique<QTextLayout>(line, font);
    layout_->setCacheEnabled(true);
    QTextOption option;
    option.setAlignment(Qt::AlignLeft);
    option.setTextDirection(QGuiApplication::layoutDirection());
    option.setFlags(option.flags() | QTextOption::IncludeTrailingSpaces);
    layout_->setTextOption(option);
    const qreal leading = QFontMetricsF(font).leading();
    height_ = -leading;
    layout_->beginLayout();
    for (QTextLine l = layout_->createLine(); l.isValid(); l = layout_->createLine()) {
        l.setLineWidth(0x01000000);
        height_ = std::ceil(height_ + leading);  // lines sit on whole pixels
        l.setPosition(QPointF(0, height_));
        height_ += l.height();
        width_ = std::max(width_, l.naturalTextWidth());
    }
    layout_->endLayout();
    runs_ = layout_->glyphRuns();
}

void TextLine::Draw(QPainter& painter, const QRect& r) const {
    if (!layout_) return;
    // Like drawText: clipped to the rectangle only when the laid-out line exceeds it.
    const bool clip = !QRectF(r).contains(QRectF(r.x(), r.y(), width_, height_));
    if (clip) {
        painter.save();
        painter.setClipRect(r, Qt::IntersectClip);
    }
    // The glyphs that may reach the visible part, with a margin for overhanging ink.
    const qreal margin = 2.0 * std::max<qreal>(font_.pixelSize(), font_.pointSizeF());
    QRectF visible = painter.hasClipping() ? painter.clipBoundingRect() : QRectF(painter.viewport());
    if (clip) visible &= QRectF(r);
    const qreal from = visible.left() - r.x() - margin, to = visible.right() - r.x() + margin;
    for (const QGlyphRun& run : runs_) {
        const QList<QPointF> positions = run.positions();
        const QList<quint32> indexes = run.glyphIndexes();
        qsizetype first = 0, last = positions.size();
        while (first < last && positions[first].x() < from) ++first;
        while (last > first && positions[last - 1].x() > to) --last;
        if (first >= last) continue;
        if (first == 0 && last == positions.size()) {
            painter.drawGlyphRun(QPointF(r.x(), r.y()), run);
            continue;
        }
        QGlyphRun part = run;
        part.setRawData(indexes.constData() + first, positions.constData() + first, last - first);
        painter.drawGlyphRun(QPointF(r.x(), r.y()), part);
    }
    if (clip) painter.restore();
}

}  // namespace tavora
