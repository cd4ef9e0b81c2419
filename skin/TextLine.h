#pragma once
// TextLine: one line of text laid out once and drawn as often as wanted, pixel for
// pixel as QPainter::drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
// text) draws it, without shaping the text again at every draw. The scrolling title
// strip draws its text 33 times a second; shaping it each time was most of the cost
// of a repaint. Only the glyphs near the painter's clip are drawn: a long title
// mostly lies outside the strip.
//
// GUI thread only.

#include <QFont>
#include <QGlyphRun>
#include <QString>
#include <QTextLayout>

#include <QList>

#include <memory>

class QPainter;
class QRect;

namespace tavora {

class TextLine {
public:
    // Lays the text out again only when the text or the font differs.
    void Set(const QString& text, const QFont& font);
    const QString& text() const { return text_; }
    // As drawText(r, AlignLeft | AlignTop | TextSingleLine, text()) with the painter's
    // pen; the painter's font is not used (the line keeps the font it was laid out in).
    void Draw(QPainter& painter, const QRect& r) const;

private:
    QString text_;
    QFont font_;
    bool laidOut_ = false;
    std::unique_ptr<QTextLayout> layout_;
    QList<QGlyphRun> runs_;
    qreal width_ = 0, height_ = 0;
};

}  // namespace tavora
