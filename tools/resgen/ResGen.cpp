// Draws the program's own pictures: the application icon (resource 128, also used
// for the tray) and the program information picture (381 x 213).
//
//   tavora-resgen OUTPUT_FOLDER
//
// The results are checked in under res/; run this again after changing the drawing.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

void DrawIcon(QPainter& p, int size) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QRectF body(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient bg(body.topLeft(), body.bottomRight());
    bg.setColorAt(0, QColor(34, 48, 78));
    bg.setColorAt(1, QColor(12, 16, 28));
    p.setPen(QPen(QColor(92, 180, 255), s * 0.03));
    p.setBrush(bg);
    p.drawRoundedRect(body, s * 0.2, s * 0.2);
    // A play triangle with three equaliser bars beside it.
    QPainterPath play;
    play.moveTo(s * 0.24, s * 0.26);
    play.lineTo(s * 0.24, s * 0.74);
    play.lineTo(s * 0.58, s * 0.5);
    play.closeSubpath();
    QLinearGradient tri(QPointF(0, s * 0.26), QPointF(0, s * 0.74));
    tri.setColorAt(0, QColor(140, 220, 255));
    tri.setColorAt(1, QColor(40, 140, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(tri);
    p.drawPath(play);
    const qreal heights[] = {0.26, 0.42, 0.18};
    for (int i = 0; i < 3; ++i) {
        const qreal x = s * (0.62 + i * 0.09);
        const qreal h = s * heights[i];
        p.setBrush(QColor(255, 196, 64));
        p.drawRoundedRect(QRectF(x, s * 0.72 - h, s * 0.06, h), s * 0.015, s * 0.015);
    }
}

QImage Icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    DrawIcon(p, size);
    return img;
}

QImage InfoPicture() {
    QImage img(381, 213, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 213);
    bg.setColorAt(0, QColor(28, 38, 62));
    bg.setColorAt(1, QColor(8, 10, 18));
    p.fillRect(img.rect(), bg);
    // Soft light behind the icon.
    QRadialGradient glow(QPointF(78, 92), 90);
    glow.setColorAt(0, QColor(60, 140, 255, 90));
    glow.setColorAt(1, QColor(60, 140, 255, 0));
    p.fillRect(img.rect(), glow);
    p.save();
    p.translate(28, 42);
    DrawIcon(p, 100);
    p.restore();
    // A spectrum strip along the bottom.
    for (int i = 0; i < 46; ++i) {
        const double h = 6 + 22 * std::fabs(std::sin(i * 0.37) * std::cos(i * 0.11));
        p.fillRect(QRectF(14 + i * 7.7, 196 - h, 5, h), QColor(64, 160, 255, 150));
    }
    p.setPen(QColor(90, 180, 255));
    p.drawRect(QRectF(0.5, 0.5, 380, 212));
    QFont title(QStringLiteral("NanumGothic"));
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(236, 244, 255));
    p.drawText(QRectF(146, 50, 230, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("타보라 플레이어"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(12);
    p.setFont(sub);
    p.setPen(QColor(150, 200, 255));
    p.drawText(QRectF(148, 86, 230, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TavoraPlayer for Linux"));
    p.setPen(QColor(170, 180, 200));
    p.drawText(QRectF(148, 108, 228, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("MP3 · OGG · WAV · WMA · CD · 방송"));
    QFont small(QStringLiteral("NanumGothic"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(120, 130, 150));
    p.drawText(QRectF(148, 134, 230, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("클릭하면 닫힙니다"));
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavora-resgen OUTPUT_FOLDER\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("icons"));
    out.mkpath(QStringLiteral("images"));
    bool ok = Icon(128).save(out.filePath(QStringLiteral("icons/icon128.png")));
    ok = Icon(32).save(out.filePath(QStringLiteral("icons/icon32.png"))) && ok;
    ok = InfoPicture().save(out.filePath(QStringLiteral("images/info197.png"))) && ok;
    return ok ? 0 : 1;
}
