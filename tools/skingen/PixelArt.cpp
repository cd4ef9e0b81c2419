#include "PixelArt.h"

#include <QHash>
#include <QPainter>

#include <cstdlib>

namespace skingen {

namespace {

struct Glyph {
    int width;
    const char* rows[5];
};

const QHash<QChar, Glyph>& Font() {
    static const QHash<QChar, Glyph> font = {
        {'A', {3, {".#.", "#.#", "###", "#.#", "#.#"}}}, {'B', {3, {"##.", "#.#", "##.", "#.#", "##."}}},
        {'C', {3, {".##", "#..", "#..", "#..", ".##"}}}, {'D', {3, {"##.", "#.#", "#.#", "#.#", "##."}}},
        {'E', {3, {"###", "#..", "##.", "#..", "###"}}}, {'F', {3, {"###", "#..", "##.", "#..", "#.."}}},
        {'G', {4, {".###", "#...", "#.##", "#..#", ".###"}}}, {'H', {3, {"#.#", "#.#", "###", "#.#", "#.#"}}},
        {'I', {3, {"###", ".#.", ".#.", ".#.", "###"}}}, {'J', {3, {"..#", "..#", "..#", "#.#", ".#."}}},
        {'K', {3, {"#.#", "#.#", "##.", "#.#", "#.#"}}}, {'L', {3, {"#..", "#..", "#..", "#..", "###"}}},
        {'M', {5, {"#...#", "##.##", "#.#.#", "#...#", "#...#"}}}, {'N', {4, {"#..#", "##.#", "#.##", "#..#", "#..#"}}},
        {'O', {4, {".##.", "#..#", "#..#", "#..#", ".##."}}}, {'P', {3, {"##.", "#.#", "##.", "#..", "#.."}}},
        {'Q', {4, {".##.", "#..#", "#..#", "#.#.", ".#.#"}}}, {'R', {3, {"##.", "#.#", "##.", "#.#", "#.#"}}},
        {'S', {3, {".##", "#..", ".#.", "..#", "##."}}}, {'T', {3, {"###", ".#.", ".#.", ".#.", ".#."}}},
        {'U', {3, {"#.#", "#.#", "#.#", "#.#", "###"}}}, {'V', {3, {"#.#", "#.#", "#.#", "#.#", ".#."}}},
        {'W', {5, {"#...#", "#...#", "#.#.#", "##.##", "#...#"}}}, {'X', {3, {"#.#", "#.#", ".#.", "#.#", "#.#"}}},
        {'Y', {3, {"#.#", "#.#", ".#.", ".#.", ".#."}}}, {'Z', {3, {"###", "..#", ".#.", "#..", "###"}}},
        {'0', {3, {"###", "#.#", "#.#", "#.#", "###"}}}, {'1', {3, {".#.", "##.", ".#.", ".#.", "###"}}},
        {'2', {3, {"##.", "..#", ".#.", "#..", "###"}}}, {'3', {3, {"##.", "..#", ".#.", "..#", "##."}}},
        {'4', {3, {"#.#", "#.#", "###", "..#", "..#"}}}, {'5', {3, {"###", "#..", "##.", "..#", "##."}}},
        {'6', {3, {".##", "#..", "###", "#.#", "###"}}}, {'7', {3, {"###", "..#", ".#.", ".#.", ".#."}}},
        {'8', {3, {"###", "#.#", "###", "#.#", "###"}}}, {'9', {3, {"###", "#.#", "###", "..#", "##."}}},
        {'+', {3, {"...", ".#.", "###", ".#.", "..."}}}, {'-', {3, {"...", "...", "###", "...", "..."}}},
        {'.', {1, {".", ".", ".", ".", "#"}}}, {':', {1, {".", "#", ".", "#", "."}}},
        {'/', {3, {"..#", "..#", ".#.", "#..", "#.."}}}, {' ', {2, {"..", "..", "..", "..", ".."}}},
    };
    return font;
}

void Px(QPainter& p, int x, int y, int w, int h, const QColor& c) { p.fillRect(QRect(x, y, w, h), c); }

// Rows of a triangle pointing right (or left), `h` rows high, starting at (x, y).
void TriangleH(QPainter& p, int x, int y, int h, bool right, const QColor& c) {
    const int half = h / 2;
    for (int i = 0; i < h; ++i) {
        const int len = half - std::abs(i - half) + 1;
        if (right) Px(p, x, y + i, len, 1, c);
        else Px(p, x + half + 1 - len, y + i, len, 1, c);
    }
}

// A triangle pointing up, `h` rows, centred on cx.
void TriangleUp(QPainter& p, int cx, int y, int h, const QColor& c) {
    for (int i = 0; i < h; ++i) Px(p, cx - i, y + i, 2 * i + 1, 1, c);
}

}  // namespace

void FillGradient(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom) {
    const int h = r.height();
    for (int i = 0; i < h; ++i) {
        const double t = h > 1 ? static_cast<double>(i) / (h - 1) : 0.0;
        const QColor c = QColor::fromRgbF(top.redF() + (bottom.redF() - top.redF()) * t,
                                          top.greenF() + (bottom.greenF() - top.greenF()) * t,
                                          top.blueF() + (bottom.blueF() - top.blueF()) * t);
        p.fillRect(QRect(r.left(), r.top() + i, r.width(), 1), c);
    }
}

void Bevel(QPainter& p, const QRect& r, const QColor& light, const QColor& dark) {
    Px(p, r.left(), r.top(), r.width(), 1, light);
    Px(p, r.left(), r.top(), 1, r.height(), light);
    Px(p, r.left(), r.bottom(), r.width(), 1, dark);
    Px(p, r.right(), r.top(), 1, r.height(), dark);
}

void Well(QPainter& p, const QRect& r, const QColor& fill, const QColor& shadow, const QColor& light) {
    p.fillRect(r, fill);
    Bevel(p, r, shadow, light);
}

int TextWidth(const QString& text, int scale) {
    int w = 0;
    for (QChar ch : text) {
        const auto it = Font().find(ch.toUpper());
        w += ((it == Font().end() ? 2 : it->width) + 1) * scale;
    }
    return w > 0 ? w - scale : 0;
}

void DrawText(QPainter& p, int x, int y, const QString& text, const QColor& color, int scale) {
    for (QChar ch : text) {
        const auto it = Font().find(ch.toUpper());
        if (it == Font().end()) {
            x += 3 * scale;
            continue;
        }
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < it->width; ++col)
                if (it->rows[row][col] == '#') Px(p, x + col * scale, y + row * scale, scale, scale, color);
        x += (it->width + 1) * scale;
    }
}

void DrawTextCentered(QPainter& p, const QRect& r, const QString& text, const QColor& color, int scale) {
    const int w = TextWidth(text, scale);
    DrawText(p, r.left() + (r.width() - w) / 2, r.top() + (r.height() - 5 * scale) / 2, text, color, scale);
}

void DrawSegmentDigit(QPainter& p, const QRect& cell, int digit, int t, const QColor& on, const QColor& off) {
    // Segments a b c d e f g, as bits of the usual table. Segments meet at notched
    // corners (t x t left empty), which keeps them apart at every size.
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int x = cell.left(), y = cell.top(), w = cell.width(), h = cell.height();
    const int mid = y + (h - t) / 2;
    const QRect segs[7] = {
        QRect(x + t, y, w - 2 * t, t),                    // a
        QRect(x + w - t, y + t, t, mid - y - t),          // b
        QRect(x + w - t, mid + t, t, y + h - t - mid - t),  // c
        QRect(x + t, y + h - t, w - 2 * t, t),            // d
        QRect(x, mid + t, t, y + h - t - mid - t),        // e
        QRect(x, y + t, t, mid - y - t),                  // f
        QRect(x + t, mid, w - 2 * t, t),                  // g
    };
    const int bits = (digit >= 0 && digit <= 9) ? kSegments[digit] : 0;
    for (int s = 0; s < 7; ++s) {
        const bool lit = bits & (1 << s);
        if (!lit && !off.isValid()) continue;
        p.fillRect(segs[s], lit ? on : off);
    }
}

void DrawSegmentColon(QPainter& p, const QRect& cell, int t, const QColor& on) {
    const int x = cell.left() + (cell.width() - t) / 2;
    Px(p, x, cell.top() + cell.height() * 3 / 10, t, t, on);
    Px(p, x, cell.top() + cell.height() * 7 / 10 - t + 1, t, t, on);
}

void DrawIcon(QPainter& p, const QRect& r, Icon icon, const QColor& c) {
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    switch (icon) {
    case Icon::Play: TriangleH(p, cx - 2, cy - 4, 9, true, c); break;
    case Icon::Pause:
        Px(p, cx - 4, cy - 4, 3, 9, c);
        Px(p, cx + 1, cy - 4, 3, 9, c);
        break;
    case Icon::Stop: Px(p, cx - 4, cy - 4, 8, 8, c); break;
    case Icon::Back:
        Px(p, cx - 6, cy - 3, 2, 7, c);
        TriangleH(p, cx - 4, cy - 3, 7, false, c);
        TriangleH(p, cx, cy - 3, 7, false, c);
        break;
    case Icon::Next:
        TriangleH(p, cx - 5, cy - 3, 7, true, c);
        TriangleH(p, cx - 1, cy - 3, 7, true, c);
        Px(p, cx + 3, cy - 3, 2, 7, c);
        break;
    case Icon::Open:
        TriangleUp(p, cx, cy - 4, 5, c);
        Px(p, cx - 4, cy + 2, 9, 2, c);
        break;
    case Icon::Minimize: Px(p, cx - 3, cy + 1, 6, 2, c); break;
    case Icon::Close:
        for (int i = 0; i < 6; ++i) {
            Px(p, cx - 3 + i, cy - 3 + i, 1, 1, c);
            Px(p, cx - 2 + i, cy - 3 + i, 1, 1, c);
            Px(p, cx + 2 - i, cy - 3 + i, 1, 1, c);
            Px(p, cx + 1 - i, cy - 3 + i, 1, 1, c);
        }
        break;
    case Icon::Speaker:
    case Icon::SpeakerMuted: {
        Px(p, cx - 5, cy - 1, 2, 3, c);
        for (int i = 0; i < 4; ++i) Px(p, cx - 3 + i, cy - 1 - i, 1, 3 + 2 * i, c);
        if (icon == Icon::Speaker) {
            Px(p, cx + 2, cy - 1, 1, 3, c);
            Px(p, cx + 4, cy - 3, 1, 7, c);
        } else {
            for (int i = 0; i < 5; ++i) {
                Px(p, cx + 1 + i, cy - 2 + i, 1, 1, c);
                Px(p, cx + 5 - i, cy - 2 + i, 1, 1, c);
            }
        }
        break;
    }
    case Icon::Repeat:
    case Icon::RepeatOne:
    case Icon::RepeatAll: {
        const int left = icon == Icon::Repeat ? cx - 5 : cx - 8;
        // A loop with an arrowhead on its top run.
        Px(p, left, cy - 3, 10, 1, c);
        Px(p, left, cy + 3, 10, 1, c);
        Px(p, left, cy - 3, 1, 7, c);
        Px(p, left + 9, cy - 3, 1, 7, c);
        for (int i = 0; i < 5; ++i) {
            const int step = 2 - std::abs(i - 2);
            Px(p, left + 4 + step, cy - 5 + i, 1, 1, c);  // arrowhead pointing right
            Px(p, left + 5 - step, cy + 1 + i, 1, 1, c);  // arrowhead pointing left
        }
        if (icon == Icon::RepeatOne) DrawText(p, left + 12, cy - 2, QStringLiteral("1"), c);
        if (icon == Icon::RepeatAll) DrawText(p, left + 12, cy - 2, QStringLiteral("A"), c);
        break;
    }
    case Icon::Shuffle: {
        // Two paths that swap lanes, each ending in an arrowhead.
        auto plot = [&](int x, int y) { Px(p, x, y, 1, 1, c); };
        for (int lane : {-1, 1}) {
            const int from = cy + 2 * lane, to = cy - 2 * lane;
            plot(cx - 5, from);
            plot(cx - 4, from);
            for (int i = 1; i <= 3; ++i) plot(cx - 4 + i, from - lane * i);
            for (int x = cx; x <= cx + 4; ++x) plot(x, to);
            plot(cx + 3, to - 1);
            plot(cx + 3, to + 1);
            plot(cx + 2, to - 2);
            plot(cx + 2, to + 2);
        }
        break;
    }
    case Icon::InOrder:
        Px(p, cx - 5, cy - 2, 9, 1, c);
        Px(p, cx - 5, cy + 2, 9, 1, c);
        Px(p, cx + 2, cy - 4, 1, 5, c);
        Px(p, cx + 3, cy - 3, 1, 3, c);
        Px(p, cx + 2, cy, 1, 5, c);
        Px(p, cx + 3, cy + 1, 1, 3, c);
        break;
    case Icon::Equalizer:
        for (int i = 0; i < 4; ++i) {
            static const int kHeights[4] = {5, 8, 3, 6};
            Px(p, cx - 5 + i * 3, cy + 4 - kHeights[i], 2, kHeights[i], c);
        }
        break;
    case Icon::Playlist:
        for (int i = 0; i < 3; ++i) {
            Px(p, cx - 5, cy - 3 + i * 3, 2, 2, c);
            Px(p, cx - 2, cy - 3 + i * 3, 7, 2, c);
        }
        break;
    }
}

void DrawLed(QPainter& p, const QRect& r, const QColor& core, const QColor& rim, bool lit) {
    const int w = r.width();
    // A rounded square: corners left out.
    Px(p, r.left() + 1, r.top(), w - 2, r.height(), rim);
    Px(p, r.left(), r.top() + 1, w, r.height() - 2, rim);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    p.fillRect(inner, lit ? core : rim.darker(140));
    if (lit) Px(p, inner.left(), inner.top(), 1, 1, core.lighter(160));
}

void AvoidStandardGreys(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = line[x] & 0xFFFFFF;
            if (rgb == 0x808080 || rgb == 0xC0C0C0 || rgb == 0xDFDFDF) line[x] = 0xFF000000 | (rgb + 0x000001);
        }
    }
}

}  // namespace skingen
