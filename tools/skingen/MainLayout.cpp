// Layout of the generated main window. Rows and columns follow from the digit,
// button and slider sizes of the skin, so both shipped skins share one layout.
#include "MainLayout.h"

#include <algorithm>
#include <tuple>

#include "PixelArt.h"

namespace skingen {

Geometry MainLayout(const Knobs& k) {
    Geometry g;
    const int m = 8;
    g.title = QRect(0, 0, k.width, k.titleHeight);
    g.logo = QRect(m, 3, 62, k.titleHeight - 5);
    const int small = k.titleHeight - 5;
    g.closePlate = QRect(k.width - 48, 2, 42, small + 2);
    g.mini = QRect(k.width - 47, 3, 19, small);
    g.close = QRect(k.width - 26, 3, 19, small);

    const int lcdW = k.width - 2 * m - k.rightColumn - 6;
    const int lcdH = k.bigDigitH + k.smallDigitH / 2 + 40;
    g.lcdFrame = QRect(m, k.titleHeight + 2, lcdW, lcdH);
    g.glass = g.lcdFrame.adjusted(2, 2, -2, -2);
    const int gx = g.glass.left(), gy = g.glass.top();

    // Status line across the top of the glass.
    int x = gx + 5;
    const int sy = gy + 3;
    auto lamp = [&](const QString& text) {
        const QRect r(x, sy, TextWidth(text) + 2, 7);
        x += r.width() + 3;
        return r;
    };
    g.stereo = lamp("STEREO");
    g.mono = lamp("MONO");
    x += 4;
    g.eqLamp = lamp("EQ");
    g.plLamp = lamp("PL");
    x += 4;
    g.lcdRepeat = lamp("REP ALL");
    g.lcdShuffle = lamp("SHUF");
    int rx = g.glass.right() - 4;
    g.khzLabel = QRect(rx - TextWidth("KHZ") + 1, sy + 1, TextWidth("KHZ"), 5);
    rx = g.khzLabel.left() - 3;
    for (int i = 2; i >= 0; --i) {
        g.khz[i] = QRect(rx - 5 + 1, sy, 5, 7);
        rx -= 6;
    }
    rx -= 6;
    g.kbpsLabel = QRect(rx - TextWidth("KBPS") + 1, sy + 1, TextWidth("KBPS"), 5);
    rx = g.kbpsLabel.left() - 3;
    for (int i = 2; i >= 0; --i) {
        g.kbps[i] = QRect(rx - 5 + 1, sy, 5, 7);
        rx -= 6;
    }

    // Time row.
    const int ty = gy + 14;
    const int lampSize = 5;
    const int lampStep = (k.bigDigitH - lampSize) / 2;
    g.lampPlay = QRect(gx + 5, ty, lampSize, lampSize);
    g.lampWait = QRect(gx + 5, ty + lampStep, lampSize, lampSize);
    g.lampStop = QRect(gx + 5, ty + 2 * lampStep, lampSize, lampSize);
    const int bw = k.bigDigitW, bh = k.bigDigitH, t = k.bigThickness;
    g.minus = QRect(gx + 14, ty + (bh - t) / 2, bw / 2 + 1, t);
    int dx = g.minus.right() + 3;
    g.now[0] = QRect(dx, ty, bw, bh);
    g.now[1] = QRect(dx + bw + 2, ty, bw, bh);
    g.now[2] = QRect(dx + 2 * (bw + 2), ty, t + 2, bh);
    g.now[3] = QRect(g.now[2].right() + 2, ty, bw, bh);
    g.now[4] = QRect(g.now[3].right() + 3, ty, bw, bh);
    const int sw = k.smallDigitW, sh = k.smallDigitH;
    g.divider = QRect(g.now[4].right() + 4, ty + bh - sh - 2, 5, sh + 2);
    const int ey = ty + bh - sh;
    dx = g.divider.right() + 3;
    g.end[0] = QRect(dx, ey, sw, sh);
    g.end[1] = QRect(dx + sw + 1, ey, sw, sh);
    g.end[2] = QRect(dx + 2 * (sw + 1), ey, 3, sh);
    g.end[3] = QRect(g.end[2].right() + 1, ey, sw, sh);
    g.end[4] = QRect(g.end[3].right() + 2, ey, sw, sh);

    // Spectrum right of the time; bars of barWidth with a one-pixel gap, exactly fitting.
    const int specLeft = g.end[4].right() + 8;
    const int pitch = k.barWidth + 1;
    // The player paints at most as many bars as the bar image has rows.
    const int bars = std::min((g.glass.right() - 4 - specLeft) / pitch, bh + 2);
    g.spectrum = QRect(specLeft, ty - 1, bars * pitch - 1, bh + 2);
    g.strip = QRect(gx + 4, ty + bh + 5, g.glass.width() - 8, k.fontSize + 4);

    // Control column.
    const int cx = g.lcdFrame.right() + 7;
    const int cw = k.width - m - cx;
    const int rowH = (lcdH - 8) / 3;
    g.volumePlate = QRect(cx, g.lcdFrame.top(), cw, rowH + 2);
    const int vh = g.volumePlate.height();
    g.mute = QRect(cx + 3, g.volumePlate.top() + 3, vh - 6 + 2, vh - 6);
    g.volumeThumb = QRect(0, 0, 10, 10);
    const int trackLeft = g.mute.right() + 5;
    g.volumeTrack = QRect(trackLeft, g.volumePlate.center().y() - 1, cw - (trackLeft - cx) - 4 - 10, 4);
    g.volumeThumb.moveTo(trackLeft, g.volumeTrack.center().y() - 4);
    g.switchPlate = QRect(cx, g.volumePlate.bottom() + 4, cw, rowH - 1);
    const int half = (cw - 9) / 2;
    g.eqButton = QRect(cx + 3, g.switchPlate.top() + 2, half, g.switchPlate.height() - 4);
    g.plButton = QRect(g.eqButton.right() + 4, g.eqButton.top(), half, g.eqButton.height());
    const int py = g.switchPlate.bottom() + 4;
    const int ph = g.lcdFrame.bottom() - py + 1;
    g.repeatPlate = QRect(cx, py, cw / 2 - 2, ph);
    g.shufflePlate = QRect(cx + cw / 2 + 2, py, cw - cw / 2 - 2, ph);
    for (auto [plate, button, led] : {std::tuple{&g.repeatPlate, &g.repeatButton, &g.repeatLamp},
                                      std::tuple{&g.shufflePlate, &g.shuffleButton, &g.shuffleLamp}}) {
        *button = QRect(plate->left() + 2, plate->top() + 2, plate->width() - 14, plate->height() - 4);
        *led = QRect(button->right() + 3, plate->center().y() - 3, 6, 6);
    }

    // Position slider and transport row.
    const int sliderY = g.lcdFrame.bottom() + 8;
    g.timeTrack = QRect(m + 2, sliderY + (k.thumbH - 5) / 2, k.width - 2 * m - 4 - k.thumbW, 5);
    g.timeThumb = QRect(m + 2, sliderY, k.thumbW, k.thumbH);
    const int by = sliderY + k.thumbH + 5;
    g.transport = QRect(m - 1, by - 2, 4 * (k.buttonW + 2) + k.buttonW + 8 + 2, k.buttonH + 4);
    int bx = m + 1;
    for (QRect* r : {&g.back, &g.play, &g.stop, &g.next}) {
        *r = QRect(bx, by, k.buttonW, k.buttonH);
        bx += k.buttonW + 2;
    }
    g.open = QRect(bx + 6, by, k.buttonW, k.buttonH);
    g.brand = QRect(g.transport.right() + 10, by, k.width - m - g.transport.right() - 10, k.buttonH);
    return g;
}

}  // namespace skingen
