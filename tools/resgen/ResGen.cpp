// Draws the program's own pictures: the application icon (resource 128, also used
// for the tray), the program information picture (381 x 213), the mini player
// notice's illustration (resource 217: where the desktop's menu starts the band), the
// icons of the file types the player registers (143, 148, 149, 152, 157, 159, 193) with
// the application icon again, at the icon theme's usual sizes (icons/hicolor/<size>/),
// and the download window's background (bitmap 131, 272 x 129) and progress tile
// (bitmap 129).
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
#include <QPolygonF>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
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

struct TypeIcon {
    int number;
    const char* label;
    QColor band;
    enum Kind { Song, List, Disc } kind;
};

constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// A page with a folded corner, the type's sign on it and, from 32 pixels on, a band
// with the extension.
QImage TypeIconImage(const TypeIcon& t, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal fold = s * 0.24;
    QPainterPath page;
    page.moveTo(s * 0.16, s * 0.04);
    page.lineTo(s * 0.84 - fold, s * 0.04);
    page.lineTo(s * 0.84, s * 0.04 + fold);
    page.lineTo(s * 0.84, s * 0.96);
    page.lineTo(s * 0.16, s * 0.96);
    page.closeSubpath();
    QLinearGradient paper(QPointF(0, 0), QPointF(0, s));
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(226, 232, 242));
    p.setPen(QPen(QColor(96, 104, 120), std::max(1.0, s / 32)));
    p.setBrush(paper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(s * 0.84 - fold, s * 0.04);
    corner.lineTo(s * 0.84 - fold, s * 0.04 + fold);
    corner.lineTo(s * 0.84, s * 0.04 + fold);
    p.setBrush(QColor(200, 208, 222));
    p.drawPath(corner);

    const bool banded = size >= 32;
    const QRectF sign(s * 0.26, s * (banded ? 0.2 : 0.3), s * 0.48, s * (banded ? 0.42 : 0.56));
    p.setPen(Qt::NoPen);
    p.setBrush(t.band);
    switch (t.kind) {
    case TypeIcon::Song: {
        // A quaver: head, stem and flag.
        const qreal r = sign.width() * 0.22;
        const QPointF head(sign.left() + r * 1.3, sign.bottom() - r);
        p.drawEllipse(head, r * 1.15, r * 0.9);
        const qreal stemX = head.x() + r * 1.0;
        p.drawRect(QRectF(stemX - s * 0.03, sign.top(), s * 0.06, head.y() - sign.top()));
        QPainterPath flag;
        flag.moveTo(stemX, sign.top());
        flag.cubicTo(stemX + sign.width() * 0.5, sign.top() + sign.height() * 0.15, stemX + sign.width() * 0.45,
                     sign.top() + sign.height() * 0.45, stemX + sign.width() * 0.3, sign.top() + sign.height() * 0.6);
        flag.lineTo(stemX, sign.top() + sign.height() * 0.3);
        flag.closeSubpath();
        p.drawPath(flag);
        break;
    }
    case TypeIcon::List: {
        // Four rows of a list, each with its bullet.
        const qreal row = sign.height() / 4;
        for (int i = 0; i < 4; ++i) {
            const qreal y = sign.top() + row * i + row * 0.25;
            p.drawEllipse(QRectF(sign.left(), y, row * 0.5, row * 0.5));
            p.drawRect(QRectF(sign.left() + row * 0.8, y + row * 0.1, sign.width() - row * 0.8, row * 0.3));
        }
        break;
    }
    case TypeIcon::Disc: {
        const QPointF c = sign.center();
        const qreal r = std::min(sign.width(), sign.height()) / 2;
        QRadialGradient shine(c, r);
        shine.setColorAt(0, QColor(250, 250, 255));
        shine.setColorAt(0.6, t.band.lighter(150));
        shine.setColorAt(1, t.band);
        p.setBrush(shine);
        p.drawEllipse(c, r, r);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(c, r * 0.22, r * 0.22);
        break;
    }
    }
    if (banded) {
        const QRectF band(s * 0.16, s * 0.68, s * 0.68, s * 0.22);
        p.setBrush(t.band);
        p.drawRect(band);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(std::max(6, static_cast<int>(band.height() * 0.72)));
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(band, Qt::AlignCenter, QString::fromLatin1(t.label));
    }
    return img;
}

bool SaveThemeIcons(const QDir& out) {
    const TypeIcon types[] = {
        {143, "MP3", QColor(32, 112, 224), TypeIcon::Song},  {148, "OGG", QColor(40, 150, 70), TypeIcon::Song},
        {149, "WMA", QColor(230, 120, 20), TypeIcon::Song},  {159, "WAV", QColor(150, 60, 190), TypeIcon::Song},
        {193, "CDA", QColor(90, 100, 130), TypeIcon::Disc},  {152, "M3U", QColor(200, 50, 60), TypeIcon::List},
        {157, "PLS", QColor(20, 140, 150), TypeIcon::List},
    };
    bool ok = true;
    for (int size : kThemeSizes) {
        const QString folder = QStringLiteral("icons/hicolor/%1").arg(size);
        out.mkpath(folder);
        ok = Icon(size).save(out.filePath(folder + QStringLiteral("/tavoraplayer.png"))) && ok;
        for (const TypeIcon& t : types)
            ok = TypeIconImage(t, size).save(out.filePath(folder + QStringLiteral("/type%1.png").arg(t.number))) && ok;
    }
    return ok;
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

// Light where the dialog writes its dark blue status text and black counter, with a
// groove where the progress bar (16, 67, 239 x 9) is drawn.
QImage UpdateBackground() {
    QImage img(272, 129, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 129);
    bg.setColorAt(0, QColor(246, 249, 253));
    bg.setColorAt(1, QColor(222, 232, 244));
    p.fillRect(img.rect(), bg);
    QLinearGradient band(0, 0, 0, 34);
    band.setColorAt(0, QColor(40, 58, 96));
    band.setColorAt(1, QColor(18, 26, 46));
    p.fillRect(QRect(0, 0, 272, 34), band);
    p.save();
    p.translate(10, 5);
    DrawIcon(p, 24);
    p.restore();
    QFont title(QStringLiteral("NanumGothic"));
    title.setPixelSize(13);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(236, 244, 255));
    p.drawText(QRectF(42, 0, 226, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("필수 파일 다운로드"));
    // The bar's groove, one pixel outside the bar.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(120, 140, 170));
    p.setBrush(QColor(250, 252, 255));
    p.drawRect(QRect(15, 66, 240, 10));
    QFont small(QStringLiteral("NanumGothic"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(110, 124, 146));
    p.drawText(QRectF(16, 86, 240, 30), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("업데이트 서버에서 파일을 받고 있습니다.\n잠시만 기다려 주세요."));
    return img;
}

// One column of the progress bar's filling, repeated across its width.
QImage UpdateTile() {
    QImage img(6, 7, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient fill(0, 0, 0, 7);
    fill.setColorAt(0, QColor(140, 210, 255));
    fill.setColorAt(0.5, QColor(50, 140, 235));
    fill.setColorAt(1, QColor(30, 100, 200));
    p.fillRect(img.rect(), fill);
    p.fillRect(QRect(5, 0, 1, 7), QColor(30, 90, 170));
    return img;
}

// One pop-up menu of the illustration; the item `highlighted` is selected.
QRectF DrawMenu(QPainter& p, QPointF at, const QStringList& items, int highlighted) {
    int widest = 0;
    for (const QString& item : items) widest = std::max(widest, p.fontMetrics().horizontalAdvance(item));
    const QRectF box(at, QSizeF(std::max(96, widest + 24), 8 + 20 * items.size()));
    p.setPen(QColor(120, 126, 140));
    p.setBrush(QColor(246, 247, 250));
    p.drawRect(box);
    for (int i = 0; i < items.size(); ++i) {
        const QRectF row(box.left() + 3, box.top() + 4 + 20 * i, box.width() - 6, 20);
        if (i == highlighted) p.fillRect(row, QColor(52, 120, 220));
        p.setPen(i == highlighted ? Qt::white : QColor(30, 34, 44));
        p.drawText(row.adjusted(8, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, items[i]);
    }
    return box;
}

QImage NoticePicture() {
    QImage img(316, 281, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 281);
    sky.setColorAt(0, QColor(70, 110, 160));
    sky.setColorAt(1, QColor(30, 52, 86));
    p.fillRect(img.rect(), sky);
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(12);
    p.setFont(font);
    // The desktop's panel along the bottom, with the band docked beside the tray.
    const QRectF panel(0, 253, 316, 28);
    p.fillRect(panel, QColor(36, 38, 46));
    p.fillRect(QRectF(4, 257, 52, 20), QColor(70, 130, 220));
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 257, 52, 20), Qt::AlignCenter, QStringLiteral("메뉴"));
    const QRectF band(186, 257, 96, 20);
    p.setPen(QColor(92, 180, 255));
    p.setBrush(QColor(14, 20, 34));
    p.drawRoundedRect(band, 4, 4);
    p.setBrush(QColor(140, 220, 255));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const qreal x = band.left() + 8 + i * 16;
        QPolygonF tri({QPointF(x, 261), QPointF(x, 273), QPointF(x + 9, 267)});
        p.drawPolygon(tri);
    }
    p.fillRect(QRectF(band.left() + 58, 265, 32, 4), QColor(255, 196, 64));
    p.save();
    p.translate(290, 259);
    DrawIcon(p, 16);
    p.restore();
    // The menus, opened from the panel's menu button.
    const QRectF first = DrawMenu(p, QPointF(6, 139), {QStringLiteral("인터넷"), QStringLiteral("멀티미디어"),
                                                        QStringLiteral("보조 프로그램"), QStringLiteral("설정"),
                                                        QStringLiteral("끝내기")}, 1);
    DrawMenu(p, QPointF(first.right() - 6, 159), {QStringLiteral("음량 조절"), QStringLiteral("타보라 플레이어"),
                                                   QStringLiteral("타보라 미니 플레이어")}, 2);
    // The pointer on the chosen item, and a hint from it to the band.
    QPainterPath arrow;
    arrow.moveTo(232, 216);
    arrow.lineTo(232, 234);
    arrow.lineTo(237, 229);
    arrow.lineTo(241, 238);
    arrow.lineTo(244, 236);
    arrow.lineTo(240, 228);
    arrow.lineTo(247, 228);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.setPen(QPen(QColor(255, 196, 64), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(250, 238), QPointF(250, 252));
    QFont title(QStringLiteral("NanumGothic"));
    title.setPixelSize(15);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(10, 10, 296, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("타보라 미니 플레이어 켜기"));
    p.setFont(font);
    p.setPen(QColor(220, 232, 248));
    p.drawText(QRectF(10, 38, 296, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("메뉴 › 멀티미디어 › 타보라 미니 플레이어를 고르면 패널에 작은 플레이어가 놓입니다."));
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
    ok = NoticePicture().save(out.filePath(QStringLiteral("images/notice217.png"))) && ok;
    ok = SaveThemeIcons(out) && ok;
    ok = UpdateBackground().save(out.filePath(QStringLiteral("images/update131.png"))) && ok;
    ok = UpdateTile().save(out.filePath(QStringLiteral("images/update129.png"))) && ok;
    return ok ? 0 : 1;
}
