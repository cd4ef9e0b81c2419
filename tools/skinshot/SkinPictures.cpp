#include "SkinPictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "DigitDisplay.h"
#include "DrawElement.h"
#include "LineSlider.h"
#include "SkinFonts.h"
#include "SkinReader.h"

namespace tavora::pictures {

namespace {

void Put(QPainter& p, const QRect& client, SkinElementSet& set, const std::string& id, SkinWindowKind kind) {
    DrawElement(p, client, set[id], SkinImage::Default, kind);
}

DigitSet Digits(SkinElementSet& set, const std::string& stem) {
    DigitSet digits;
    for (int d = 0; d <= 9; ++d) digits[static_cast<size_t>(d)] = set[stem + std::to_string(d)];
    return digits;
}

void DrawTime(QPainter& p, SkinElementSet& set, const std::string& stem, const std::string& text,
              std::initializer_list<const char*> slotIds) {
    std::vector<const SkinElement*> places;
    for (const char* id : slotIds) places.push_back(&set[id]);
    DrawDigits(p, Digits(set, stem), text, places);
}

}  // namespace

bool LoadSkin(const std::string& folder, SkinElementSet& set) {
    SkinReader reader;
    if (!reader.Open(folder + "/" + kSkinFileName)) return false;
    LoadSkinElementSet(reader, folder, set);
    return true;
}

QImage MainPicture(SkinElementSet& set, const MainState& s) {
    const SkinElement& background = set["ID_PLAYER_IMAIN"];
    QImage image(std::max(background.Width, 1), std::max(background.Height, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    const QRect client = image.rect();
    const auto kind = SkinWindowKind::Main;
    auto put = [&](const std::string& id) { Put(p, client, set, id, kind); };
    auto button = [&](const std::string& stem) {
        put(stem + (s.hoverButton.toStdString() == stem ? "_OVER" : "_DEFAULT"));
    };

    for (const char* id : {"ID_PLAYER_IMAIN", "ID_PLAYER_IEQGROUND", "ID_PLAYER_ICLOSEGROUND", "ID_PLAYER_IVOLUMGROUND",
                           "ID_PLAYER_IREPEAT", "ID_PLAYER_ISHUFFLE", "ID_LCD_ENDTIME_DOT", "ID_PLAYER_ROGO",
                           "ID_LCD_LINE_NOWTIME_ENDTIME"})
        put(id);
    const int channelState = s.playing ? (s.channels >= 2 ? 2 : 1) : 0;
    put(channelState == 1 ? "ID_LCD_MONO_ON_DEFAULT" : "ID_LCD_MONO_ON_OVER");
    put(channelState == 2 ? "ID_LCD_STEREO_ON_DEFAULT" : "ID_LCD_STEREO_ON_OVER");
    button(s.playing ? "ID_BTPAUSE" : "ID_BTPLAY");
    put(s.playing ? "ID_LCD_PLAY_ON_DEFAULT" : "ID_LCD_PLAY_ON_OVER");
    put("ID_LCD_WAIT_ON_OVER");
    put(s.playing ? "ID_LCD_STOP_ON_OVER" : "ID_LCD_STOP_ON_DEFAULT");
    button(s.playlistShown ? "ID_BTPLON" : "ID_BTPLOFF");
    put(s.playlistShown ? "ID_LCD_PL_ON_DEFAULT" : "ID_LCD_PL_ON_OVER");
    button(s.equalizerShown ? "ID_BTEQON" : "ID_BTEQOFF");
    put(s.equalizerShown ? "ID_LCD_EQ_ON_DEFAULT" : "ID_LCD_EQ_ON_OVER");
    for (const char* stem : {"ID_BTBACK", "ID_BTNEXT", "ID_BTSTOP", "ID_BTOPEN", "ID_BTMINI", "ID_BTCLOSE"}) button(stem);
    button(s.repeat == 2 ? "ID_BTREPEAT_UNLIMIT" : s.repeat == 1 ? "ID_BTREPEAT_ONE" : "ID_BTREPEAT_OFF");
    put(s.repeat == 2 ? "ID_LCDREPEAT_DOWN" : s.repeat == 1 ? "ID_LCDREPEAT_OVER" : "ID_LCDREPEAT_DEFAULT");
    put(s.repeat == 2 ? "ID_BTREPEAT_LAMP_OVER" : s.repeat == 1 ? "ID_BTREPEAT_LAMP_DOWN" : "ID_BTREPEAT_LAMP_DEFAULT");
    button(s.shuffle ? "ID_BTSHUFFLE_OUTORDER" : "ID_BTSHUFFLE_INORDER");
    put(s.shuffle ? "ID_LCDSHUFFLE_DEFAULT" : "ID_LCDSHUFFLE_OVER");
    put(s.shuffle ? "ID_BTSHUFFLE_LAMP_OVER" : "ID_BTSHUFFLE_LAMP_DEFAULT");
    button(s.muted ? "ID_BTSOUNDOFF" : "ID_BTSOUNDON");

    // Time displays.
    const int shown = !s.playing ? 0 : s.showElapsed ? s.elapsed : s.length - s.elapsed;
    if (s.showElapsed) {
        put("ID_LCD_LINE_MINUS_OVER");
        DrawTime(p, set, "ID_LCD_NOWTIME_NUMBER", TimeDigits(shown),
                 {"ID_NOWTIME_MINLEFT", "ID_NOWTIME_MINRIGHT", "ID_NOWTIME_SECLEFT", "ID_NOWTIME_SECRIGHT"});
        p.drawImage(QPoint(set["ID_NOWTIME_POS_DOT"].rect.left, set["ID_NOWTIME_POS_DOT"].rect.top),
                    set["ID_LCD_NOWTIME_DOT"].defaultBitmap);
    } else {
        put("ID_LCD_LINE_MINUS");
        DrawTime(p, set, "ID_LCD_NOWTIME_NUMBER", TimeDigits(shown),
                 {"ID_NOWTIME_MINLEFT_MINUS", "ID_NOWTIME_MINRIGHT_MINUS", "ID_NOWTIME_SECLEFT_MINUS",
                  "ID_NOWTIME_SECRIGHT_MINUS"});
        p.drawImage(QPoint(set["ID_NOWTIME_POS_DOT_MINUS"].rect.left, set["ID_NOWTIME_POS_DOT_MINUS"].rect.top),
                    set["ID_LCD_NOWTIME_DOT"].defaultBitmap);
    }
    DrawTime(p, set, "ID_LCD_ENDTIME_NUMBER", TimeDigits(s.playing ? s.length : 0),
             {"ID_ENDTIME_MINLEFT", "ID_ENDTIME_MINRIGHT", "ID_ENDTIME_SECLEFT", "ID_ENDTIME_SECRIGHT"});

    // Sliders.
    LineSlider position{&set["ID_PLAYER_ITIMELINE_FULL"], &set["ID_PLAYER_ITIMELINE_EMPTY"],
                        &set["ID_PLAYER_BTTIMELINE"]};
    position.SetFromValue(s.playing ? s.position : 0.0, 1.0);
    position.Draw(p);
    LineSlider volume{&set["ID_PLAYER_IVOLUMELINE_FULL"], &set["ID_PLAYER_IVOLUMELINE_EMPTY"],
                      &set["ID_PLAYER_BTVOLUMELINE"]};
    volume.SetFromValue(s.volume, 1.0);
    volume.Draw(p);

    // Text strip: the title centred when it fits.
    const SkinElement& strip = set["ID_LCD_MP3INFO_GROUND"];
    if (!strip.defaultBitmap.isNull()) {
        QImage buffer = strip.defaultBitmap.copy();
        QPainter q(&buffer);
        q.setFont(MakeSkinFont(set.font.FontName, set.font.FontSize));
        q.setPen(QColor(set.font.R & 0xFF, set.font.G & 0xFF, set.font.B & 0xFF));
        const int titleWidth = QFontMetrics(q.font()).horizontalAdvance(s.title);
        const int x = titleWidth < strip.Width ? (strip.Width - titleWidth) / 2 + 20 : 0;
        q.drawText(QRect(x, set.font.FontHeight, buffer.width() * 4, buffer.height()), Qt::AlignLeft | Qt::AlignTop,
                   s.title);
        q.end();
        if (const auto at = PlaceElement(strip, client, kind)) p.drawImage(*at, buffer);
    }

    // Spectrum: a still frame of bars with their peaks.
    const SkinElement& ground = set["ID_LCD_SPEC_GROUND"];
    const SkinElement& bar = set["ID_LCD_SPEC"];
    if (!ground.defaultBitmap.isNull() && !bar.defaultBitmap.isNull() && s.playing) {
        QImage buffer = ground.defaultBitmap.copy();
        QPainter q(&buffer);
        const int hb = bar.Height, wb = bar.Width;
        for (int i = 0; i < hb && i < 260; ++i) {
            if (ground.rect.left + i * (wb + 1) >= ground.rect.left + ground.Width) break;
            const double shape = 0.55 + 0.45 * std::sin(i * 0.7) * std::cos(i * 0.23);
            const int level = std::clamp(static_cast<int>(hb - shape * (hb - 2) * (1.0 - i * 0.02)), 2, hb);
            q.drawImage(QPoint(i * (wb + 1), level), bar.defaultBitmap, QRect(0, level, wb, hb - 2));
            const int peak = std::max(level - 2 - (i % 3), 0);
            if (level < hb) q.drawImage(QPoint(i * (wb + 1), peak), bar.defaultBitmap, QRect(0, 0, wb, 1));
        }
        q.end();
        if (const auto at = PlaceElement(ground, client, kind)) p.drawImage(*at, buffer);
    }

    // Sample rate and bit rate, hundreds digit left out when 0.
    if (s.playing) {
        const int khz[3] = {s.sampleRate / 100000, (s.sampleRate / 10000) % 10, (s.sampleRate / 1000) % 10};
        const int kbps[3] = {s.kbps / 100, (s.kbps / 10) % 10, s.kbps % 10};
        const char* khzSlots[3] = {"ID_KHZHUNDRED", "ID_KHZTEN", "ID_KHZONE"};
        const char* kbpsSlots[3] = {"ID_KBPSHUNDRED", "ID_KBPSTEN", "ID_KBPSONE"};
        for (int i = 0; i < 3; ++i) {
            if (i > 0 || khz[0] != 0)
                p.drawImage(QPoint(set[khzSlots[i]].rect.left, set[khzSlots[i]].rect.top),
                            set["ID_LCD_STATE_NUMBER" + std::to_string(khz[i])].defaultBitmap);
            if (i > 0 || kbps[0] != 0)
                p.drawImage(QPoint(set[kbpsSlots[i]].rect.left, set[kbpsSlots[i]].rect.top),
                            set["ID_LCD_STATE_NUMBER" + std::to_string(kbps[i])].defaultBitmap);
        }
    }
    return image;
}

QImage EqualizerPicture(SkinElementSet& set, const int (&gains)[10], double master, bool on) {
    const SkinElement& background = set["ID_EQ_IMAIN"];
    QImage image(std::max(background.Width, 1), std::max(background.Height, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    const QRect client = image.rect();
    const int right = client.width();
    Put(p, client, set, "ID_EQ_IMAIN", SkinWindowKind::Equalizer);

    const SkinElement& full = set["ID_EQ_BTLINE_FULL"];
    const SkinElement& empty = set["ID_EQ_BTLINE_EMPTY"];
    const SkinElement& thumb = set["ID_EQ_BTLINE"];
    const int ty = empty.rect.top, h = full.Height, th = thumb.Height;
    const int centre = (h + th + th / 2) / 2 - th / 2;
    const int step = (h + th + th / 2) / 24;
    const int b = h + th / 2;
    int pos[12] = {};
    for (int k = 1; k <= 10; ++k) pos[k] = centre - gains[10 - k] * step;  // slider 1 is 16 kHz (band 9)
    pos[11] = static_cast<int>(master * b);
    auto drawThumb = [&](int k) {
        p.drawImage(QPoint(right - set["ID_EQ_BTLINE_FULL" + std::to_string(k)].rect.left, ty + pos[k] - th / 2),
                    thumb.defaultBitmap);
    };
    for (int k = 11; k >= 1; --k) {
        DrawRows(p, empty.defaultBitmap, 0, pos[k], right - set["ID_EQ_BTLINE_EMPTY" + std::to_string(k)].rect.left, ty);
        drawThumb(k);
    }
    for (int k = 11; k >= 1; --k) {
        const int top = std::max(pos[k], 0);
        DrawRows(p, full.defaultBitmap, top, h, right - set["ID_EQ_BTLINE_FULL" + std::to_string(k)].rect.left,
                 ty + top - th / 2 + th);
        drawThumb(k);
    }
    Put(p, client, set, "ID_EQ_BTPRESETS", SkinWindowKind::Equalizer);
    Put(p, client, set, on ? "ID_EQ_BTEQON" : "ID_EQ_BTEQOFF", SkinWindowKind::Equalizer);
    DrawElement(p, client, set["ID_EQ_BTEQ_ONOFF_LAMP"], on ? SkinImage::Default : SkinImage::Over,
                SkinWindowKind::Equalizer);
    return image;
}

QImage PlaylistPicture(SkinElementSet& set, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    const QRect client = image.rect();
    const auto kind = SkinWindowKind::Playlist;
    auto put = [&](const char* id) { Put(p, client, set, id, kind); };
    auto fill = [&](const char* id) { DrawEdgeFill(p, client, set[id]); };

    fill("ID_LIST_ITOPDOT");
    for (const char* id : {"ID_LIST_ILEFTTOP", "ID_LIST_IRIGHTTOP", "ID_LIST_IGROUNDCLOSE", "ID_LIST_IGROUNDINITIAL"})
        put(id);
    fill("ID_LIST_ILEFTCENTERDOT");
    fill("ID_LIST_IRIGHTCENTERDOT");
    fill("ID_LIST_IBOTTOMDOT");
    for (const char* id : {"ID_LIST_ILEFTBOTTOM", "ID_LIST_IRIGHTBOTTOM", "ID_LIST_IGROUNDADD",
                           "ID_LIST_IGROUNDRESIZEING", "ID_LIST_ILISTSCROLLBOTTOM"})
        put(id);
    for (const char* id : {"ID_LISTBTCLOSE", "ID_LISTBTLIST", "ID_LISTBTADD", "ID_LISTBTDEL", "ID_LIST_ILEFTCENTER",
                           "ID_LIST_IRIGHTCENTER", "ID_LIST_ILISTSCROLLTOP", "ID_LIST_ILISTSCROLLBOTTOM"})
        put(id);
    fill("ID_LIST_ILISTSCROLLDOT");

    // The list: its frame margins, fixed colours and 16-pixel rows.
    const QRect list(QPoint(set["ID_LIST_ILEFTCENTERDOT"].Width, set["ID_LIST_ILEFTTOP"].rect.bottom),
                     QPoint(client.width() - set["ID_LIST_IRIGHTCENTERDOT"].Width - set["ID_LIST_ILISTSCROLLDOT"].Width - 1,
                            client.height() - set["ID_LIST_ILEFTBOTTOM"].Height - 1));
    p.fillRect(list, QColor(159, 159, 159));
    static const char* kRows[][2] = {
        {"Aurora Lights - 새벽의 노래", "04:05"}, {"Midnight Tram - Harbour Lines", "03:48"},
        {"김하늘 - 가을 편지", "05:12"},           {"Paper Satellites - Low Orbit", "04:31"},
        {"The Quiet Hours - Lanterns", "06:02"},  {"이도윤 - 바람이 분다", "03:57"},
        {"Copper Field - Slow Rivers", "04:44"},  {"Northbound - Glass Harbour", "03:26"},
        {"서윤 - 별 헤는 밤", "04:18"},            {"Lumen Drive - Static Bloom", "05:03"},
        {"Haze Parade - Tin Roof", "03:39"},      {"Blue Hour Club - Tidal", "04:57"},
        {"정민 - 푸른 계절", "04:12"},             {"Velvet Compass - North Star", "03:51"},
        {"Marigold Static - Sunday Wires", "04:09"}, {"한별 - 여름밤 산책", "03:33"},
        {"Open Sky Motel - Neon Rain", "05:21"},   {"Tape Echo - Harbor Lights", "03:14"},
        {"유나 - 꿈의 정원", "04:40"},             {"Kite Season - Long Weekend", "03:58"},
    };
    const int rowCount = static_cast<int>(std::size(kRows));
    p.setFont(MakeSkinFont("굴림", 12));
    const int labelWidth = rowCount < 10 ? 21 : 25;
    const int titleWidth = list.width() - labelWidth - 35;
    for (int r = 0; r < rowCount && r * 16 < list.height(); ++r) {
        const QRect row(list.left(), list.top() + r * 16, list.width(), 16);
        const bool selected = r == 3, current = r == 1;
        p.fillRect(row, selected ? QColor(15, 15, 15) : QColor(159, 159, 159));
        p.setPen(selected || current ? QColor(255, 255, 255) : QColor(49, 49, 49));
        const QRect label(row.left() + 2, row.top(), labelWidth, 16);
        const QRect title(label.right() + 1, row.top(), titleWidth - 15, 16);
        const QRect time(title.right() + 1, row.top(), 35, 16);
        p.drawText(label.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::number(r + 1) + ".");
        p.drawText(title.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kRows[r][0]));
        p.drawText(time.adjusted(1, 0, 0, 0), Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8(kRows[r][1]));
    }

    // Scroll bar: the track's first row down its height, the thumb at the top row's place.
    const SkinElement& scrollTop = set["ID_LIST_ILISTSCROLLTOP"];
    const SkinElement& scrollBottom = set["ID_LIST_ILISTSCROLLBOTTOM"];
    const QRect bar(client.width() - set["ID_LIST_ILISTSCROLLDOT"].rect.left, scrollTop.rect.bottom, 10,
                    client.height() - scrollBottom.rect.bottom - scrollTop.rect.top);
    if (bar.height() > 0) {
        QImage barImage(bar.size(), QImage::Format_RGB32);
        barImage.fill(Qt::black);
        QPainter q(&barImage);
        DrawEdgeFill(q, barImage.rect(), set["ID_LIST_ILISTSCROLLSMALLDOT"]);
        const QImage& thumb = set["ID_LISTBTSCROLL"].defaultBitmap;
        const int perPage = list.height() / 16;
        const int range = rowCount - perPage + 1;
        if (range > 0 && !thumb.isNull()) {
            const int topRow = 0;
            int offset = topRow + perPage < rowCount - 1 ? (bar.height() - 16) / range * topRow
                                                          : bar.height() - thumb.height();
            offset = std::clamp(offset, 0, std::max(bar.height() - thumb.height(), 0));
            q.drawImage(QPoint(0, offset), thumb);
        }
        q.end();
        p.drawImage(bar.topLeft(), barImage);
    }
    return image;
}

QImage DockedPicture(SkinElementSet& set) {
    const QImage main = MainPicture(set, MainState{});
    static const int kGains[10] = {5, 3, -3, -5, -3, 0, 3, 5, 5, 5};
    const QImage eq = EqualizerPicture(set, kGains, 0.25, true);
    const QImage list = PlaylistPicture(set, QSize(main.width(), main.height() * 2));
    QImage canvas(main.width() + eq.width(), main.height() + list.height(), QImage::Format_RGB32);
    QPainter p(&canvas);
    p.fillRect(canvas.rect(), QColor(0x3a, 0x44, 0x52));
    p.drawImage(0, 0, main);
    p.drawImage(main.width(), (main.height() - eq.height()) / 2, eq);
    p.drawImage(0, main.height(), list);
    return canvas;
}

QImage ButtonStatesPicture(SkinElementSet& set) {
    static const char* kStems[] = {"ID_BTBACK",  "ID_BTPLAY",       "ID_BTPAUSE",           "ID_BTSTOP",
                                   "ID_BTNEXT",  "ID_BTOPEN",       "ID_BTEQON",            "ID_BTPLOFF",
                                   "ID_BTREPEAT_ONE", "ID_BTSHUFFLE_OUTORDER", "ID_BTSOUNDOFF", "ID_BTCLOSE"};
    static const char* kEndings[] = {"_DEFAULT", "_OVER", "_DOWN"};
    constexpr int kGap = 4;
    int cellW = 0, cellH = 0;
    for (const char* stem : kStems) {
        cellW = std::max(cellW, set[std::string(stem) + "_DEFAULT"].Width);
        cellH = std::max(cellH, set[std::string(stem) + "_DEFAULT"].Height);
    }
    const int columns = 2;  // two buttons side by side, each in three states
    const int rows = (static_cast<int>(std::size(kStems)) + columns - 1) / columns;
    const int groupW = 3 * (cellW + kGap) + 2 * kGap;
    QImage canvas(columns * groupW + kGap, rows * (cellH + kGap) + kGap, QImage::Format_RGB32);
    canvas.fill(QColor(0x3a, 0x44, 0x52));
    QPainter p(&canvas);
    for (size_t i = 0; i < std::size(kStems); ++i) {
        const int x0 = kGap + static_cast<int>(i % columns) * groupW;
        const int y = kGap + static_cast<int>(i / columns) * (cellH + kGap);
        for (int state = 0; state < 3; ++state) {
            const QImage& picture = set[std::string(kStems[i]) + kEndings[state]].defaultBitmap;
            p.drawImage(QPoint(x0 + state * (cellW + kGap), y), picture);
        }
    }
    p.end();
    return canvas.scaled(canvas.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage PreviewPicture(SkinElementSet& set) {
    const QImage docked = DockedPicture(set);
    const QImage top = docked.copy(0, 0, docked.width(), docked.height() * 2 / 3);
    const QImage scaled = top.scaled(226, 117, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage preview(226, 117, QImage::Format_RGB32);
    QPainter p(&preview);
    p.fillRect(preview.rect(), QColor(0x3a, 0x44, 0x52));
    p.drawImage((226 - scaled.width()) / 2, (117 - scaled.height()) / 2, scaled);
    return preview;
}

}  // namespace tavora::pictures
