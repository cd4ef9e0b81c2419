// The main window of a generated skin: a body with a title strip, an LCD display
// (state lamps, elapsed and total time, bit rate and sample rate, spectrum, text
// strip), a control column (mute and volume, equaliser and playlist switches,
// repeat and shuffle) and the position slider above the transport buttons.
//
// Everything is first painted onto one background canvas; each element's bitmap is
// then cut out of it and finished on top, so pieces always match what lies below.
#include <QPainter>

#include <algorithm>
#include <functional>
#include <tuple>

#include "MainLayout.h"
#include "PixelArt.h"
#include "SkinDesign.h"

namespace skingen {

namespace {

constexpr const char* kImages = "MainControl/ImageCollection";
constexpr const char* kNumbers = "MainControl/NumberCollection";
constexpr const char* kButtons = "MainControl/ButtonCollection";

std::string FileName(const std::string& id) {
    std::string name = id.substr(3);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "main/" + name + ".bmp";
}

struct MainBuilder {
    SkinWriter& out;
    const SkinDesign& design;
    const Theme& t;
    const Knobs& k;
    Geometry g;
    QImage bg;

    std::string Save(const std::string& id, const QImage& image) { return out.Image(FileName(id), image); }

    // A picture at r, anchored by code (1 unless the skin anchors its decorations).
    void Emit(const char* collection, const std::string& id, const QImage& image, const QRect& r, int code = 1) {
        int x = r.left(), y = r.top();
        if (code == 2 || code == 4 || code == 5) x = k.width - r.left();
        if (code == 3 || code == 4 || code == 5) y = k.height - r.top();
        out.Ground(collection, id, Save(id, image), x, y, r.width(), r.height(), code);
    }

    QImage Piece(const QRect& r) const { return Crop(bg, r); }

    // A piece of the background with something drawn on it (in piece coordinates).
    QImage Finished(const QRect& r, const std::function<void(QPainter&, const QRect&)>& draw) const {
        QImage image = Piece(r);
        QPainter p(&image);
        draw(p, image.rect());
        return image;
    }

    QImage ButtonImage(const QRect& r, Face face, const ButtonDecoration& deco) const {
        return ButtonPicture(Piece(r), t, face, deco);
    }

    void ButtonSet(const std::string& stem, const QRect& r, const std::function<void(QPainter&, QRect, QColor)>& deco) {
        Emit(kImages, stem + "_DEFAULT", ButtonImage(r, Face::Normal, deco), r);
        Emit(kImages, stem + "_OVER", ButtonImage(r, Face::Over, deco), r);
        Emit(kImages, stem + "_DOWN", ButtonImage(r, Face::Down, deco), r);
    }

    void IconSet(const std::string& stem, const QRect& r, Icon icon) {
        ButtonSet(stem, r, [icon](QPainter& p, QRect inner, QColor c) { DrawIcon(p, inner, icon, c); });
    }

    void PaintBackground() {
        bg = QImage(k.width, k.height, QImage::Format_RGB32);
        QPainter p(&bg);
        p.fillRect(bg.rect(), t.outline);
        const QRect body = bg.rect().adjusted(1, 1, -1, -1);
        FillGradient(p, body, t.bodyTop, t.bodyBottom);
        Bevel(p, body, t.bodyLight, t.bodyShadow);

        // Title strip: logo, ridges, the plate behind minimise and close.
        DrawText(p, g.logo.left() + 1, g.logo.top() + 1, "TAVORA", t.bodyShadow, 2);
        DrawText(p, g.logo.left(), g.logo.top(), "TAVORA", t.logo, 2);
        const int ridgeLeft = g.logo.left() + TextWidth("TAVORA", 2) + 8;
        const int ridgeRight = g.closePlate.left() - 8;
        for (int y = 5; y + 1 < k.titleHeight - 3; y += 3) {
            p.fillRect(QRect(ridgeLeft, y, ridgeRight - ridgeLeft, 1), t.bodyShadow);
            p.fillRect(QRect(ridgeLeft, y + 1, ridgeRight - ridgeLeft, 1), t.bodyLight);
        }
        Well(p, g.closePlate, t.plate, t.plateShadow, t.plateLight);

        // Display.
        Well(p, g.lcdFrame, t.lcdFrame, t.plateShadow, t.plateLight);
        FillGradient(p, g.glass, t.lcdTop, t.lcdBottom);
        p.fillRect(QRect(g.glass.left(), g.glass.top(), g.glass.width(), 1), t.lcdTop.lighter(125));
        DrawText(p, g.kbpsLabel.left(), g.kbpsLabel.top(), "KBPS", t.lcdDim);
        DrawText(p, g.khzLabel.left(), g.khzLabel.top(), "KHZ", t.lcdDim);
        for (int i : {0, 1, 3, 4}) {
            DrawSegmentDigit(p, g.now[i], 8, k.bigThickness, t.lcdOff, QColor());
            DrawSegmentDigit(p, g.end[i], 8, 1, t.lcdOff, QColor());
        }
        DrawSegmentColon(p, g.now[2], k.bigThickness, t.lcdOff);
        DrawSegmentColon(p, g.end[2], 1, t.lcdOff);
        p.fillRect(g.minus, t.lcdOff);
        // The divider between elapsed and total time.
        for (int i = 0; i < g.divider.height(); ++i)
            p.fillRect(QRect(g.divider.left() + (g.divider.height() - 1 - i) * g.divider.width() / g.divider.height(),
                             g.divider.top() + i, 1, 1),
                       t.lcdDim);
        // Spectrum ground: a faint dotted scale; text strip: a slightly darker band.
        for (int y = g.spectrum.bottom() - 1; y > g.spectrum.top(); y -= 3)
            for (int x = g.spectrum.left(); x <= g.spectrum.right(); x += k.barWidth + 1)
                p.fillRect(QRect(x + k.barWidth / 2, y, 1, 1), t.lcdOff);
        p.fillRect(g.strip, t.lcdBottom.darker(112));
        p.fillRect(QRect(g.strip.left(), g.strip.top(), g.strip.width(), 1), t.lcdOff);

        // Control column plates.
        for (const QRect& r : {g.volumePlate, g.switchPlate, g.repeatPlate, g.shufflePlate})
            Well(p, r, t.plate, t.plateShadow, t.plateLight);
        Well(p, g.volumeTrack.adjusted(-1, -1, k.thumbW - 3, 1), t.plateShadow, t.plateShadow, t.plateLight);

        // Slider groove and the transport bay.
        Well(p, QRect(g.timeTrack.left() - 1, g.timeTrack.top() - 1, g.timeTrack.width() + k.thumbW + 2,
                      g.timeTrack.height() + 2),
             t.plateShadow, t.plateShadow, t.plateLight);
        Well(p, g.transport, t.plate, t.plateShadow, t.plateLight);

        // Brand and a speaker grille in the free corner.
        DrawText(p, g.brand.left(), g.brand.top() + 2, "DIGITAL AUDIO PLAYER", t.label);
        const int grilleTop = g.brand.top() + 10;
        for (int y = grilleTop; y + 2 <= g.brand.bottom(); y += 3)
            for (int x = g.brand.left() + ((y - grilleTop) / 3 % 2) * 2; x + 2 <= g.brand.right(); x += 4) {
                p.fillRect(QRect(x, y, 2, 2), t.bodyShadow);
                p.fillRect(QRect(x + 1, y + 1, 1, 1), t.bodyLight);
            }
    }

    void Lamp(const std::string& stem, const QRect& r, const QString& text, const char* litEnding,
              const char* unlitEnding) {
        auto draw = [&](const QColor& c) {
            return Finished(r, [&](QPainter& p, const QRect&) { DrawText(p, 1, 1, text, c); });
        };
        Emit(kImages, stem + litEnding, draw(t.lcdOn), r);
        Emit(kImages, stem + unlitEnding, draw(t.lcdOff), r);
    }

    void StateLamp(const std::string& stem, const QRect& r, Icon icon) {
        auto draw = [&](const QColor& c) {
            return Finished(r, [&](QPainter& p, const QRect& area) {
                switch (icon) {
                case Icon::Play:
                    for (int i = 0; i < 5; ++i) p.fillRect(QRect(1, i, 3 - std::abs(i - 2), 1), c);
                    break;
                case Icon::Pause:
                    p.fillRect(QRect(0, 0, 2, 5), c);
                    p.fillRect(QRect(3, 0, 2, 5), c);
                    break;
                default: p.fillRect(area.adjusted(0, 0, 0, 0), c); break;
                }
            });
        };
        Emit(kImages, stem + "_DEFAULT", draw(t.lcdOn), r);
        Emit(kImages, stem + "_OVER", draw(t.lcdOff), r);
    }

    void DigitSet(const std::string& stem, const QRect& slot, int thickness) {
        for (int d = 0; d <= 9; ++d) {
            const QImage image = Finished(QRect(slot.topLeft(), slot.size()), [&](QPainter& p, const QRect& area) {
                DrawSegmentDigit(p, area, d, thickness, t.lcdOn, QColor());
            });
            Emit(kNumbers, stem + std::to_string(d), image, slot);
        }
    }

    void Slider(const std::string& full, const std::string& empty, const std::string& thumb, const QRect& track,
                const QRect& knob) {
        QImage fullImage(track.size(), QImage::Format_RGB32), emptyImage(track.size(), QImage::Format_RGB32);
        {
            QPainter p(&fullImage);
            FillGradient(p, fullImage.rect(), t.accent.lighter(115), t.accentDark);
            p.fillRect(QRect(0, 0, track.width(), 1), t.accent.lighter(140));
            QPainter q(&emptyImage);
            FillGradient(q, emptyImage.rect(), t.plateShadow, t.plate);
            q.fillRect(QRect(0, 0, track.width(), 1), t.plateShadow.darker(130));
        }
        QImage knobImage(knob.size(), QImage::Format_RGB32);
        {
            // The thumb sits on the groove's colours so its cut corners blend in.
            knobImage.fill(t.plateShadow);
            DrawButtonFace(knobImage, t, Face::Normal);
            QPainter p(&knobImage);
            const int cx = knob.width() / 2;
            p.fillRect(QRect(cx - 1, 2, 1, knob.height() - 4), t.buttonShadow);
            p.fillRect(QRect(cx, 2, 1, knob.height() - 4), t.buttonLight);
        }
        for (auto [id, image, r] : {std::tuple{full, &fullImage, track}, std::tuple{empty, &emptyImage, track},
                                    std::tuple{thumb, &knobImage, knob}})
            out.Button(kButtons, id, Save(id, *image), "", "", r.left(), r.top(), r.width(), r.height(), 1);
    }

    void Build();
};

void MainBuilder::Build() {
    g = MainLayout(k);
    PaintBackground();
    const int side = k.anchored ? 2 : 1;    // plates hung from the right edge
    const int corner = k.anchored ? 4 : 1;  // plates hung from the bottom-right corner

    Emit(kImages, "ID_PLAYER_IMAIN", bg, bg.rect());
    Emit(kImages, "ID_PLAYER_IEQGROUND", Piece(g.switchPlate), g.switchPlate, k.anchored ? 5 : 1);
    Emit(kImages, "ID_PLAYER_ICLOSEGROUND", Piece(g.closePlate), g.closePlate, side);
    Emit(kImages, "ID_PLAYER_IVOLUMGROUND", Piece(g.volumePlate), g.volumePlate, side);
    Emit(kImages, "ID_PLAYER_IREPEAT", Piece(g.repeatPlate), g.repeatPlate, corner);
    Emit(kImages, "ID_PLAYER_ISHUFFLE", Piece(g.shufflePlate), g.shufflePlate, corner);
    Emit(kImages, "ID_PLAYER_ROGO", Piece(g.logo), g.logo, k.anchored ? 3 : 1);
    Emit(kImages, "ID_LCD_LINE_NOWTIME_ENDTIME", Piece(g.divider), g.divider);
    Emit(kImages, "ID_LCD_ENDTIME_DOT",
         Finished(g.end[2], [&](QPainter& p, const QRect& a) { DrawSegmentColon(p, a, 1, t.lcdOn); }), g.end[2]);
    Emit(kImages, "ID_LCD_LINE_MINUS", Finished(g.minus, [&](QPainter& p, const QRect& a) { p.fillRect(a, t.lcdOn); }),
         g.minus);
    Emit(kImages, "ID_LCD_LINE_MINUS_OVER", Piece(g.minus), g.minus);

    // Lamps on the display.
    StateLamp("ID_LCD_PLAY_ON", g.lampPlay, Icon::Play);
    StateLamp("ID_LCD_WAIT_ON", g.lampWait, Icon::Pause);
    StateLamp("ID_LCD_STOP_ON", g.lampStop, Icon::Stop);
    Lamp("ID_LCD_STEREO_ON", g.stereo, "STEREO", "_DEFAULT", "_OVER");
    Lamp("ID_LCD_MONO_ON", g.mono, "MONO", "_DEFAULT", "_OVER");
    Lamp("ID_LCD_EQ_ON", g.eqLamp, "EQ", "_DEFAULT", "_OVER");
    Lamp("ID_LCD_PL_ON", g.plLamp, "PL", "_DEFAULT", "_OVER");
    Lamp("ID_LCDSHUFFLE", g.lcdShuffle, "SHUF", "_DEFAULT", "_OVER");
    // Repeat indicator: none, one, all.
    auto repeatText = [&](const QString& text, const QColor& c) {
        return Finished(g.lcdRepeat, [&](QPainter& p, const QRect&) { DrawText(p, 1, 1, text, c); });
    };
    Emit(kImages, "ID_LCDREPEAT_DEFAULT", repeatText("REP", t.lcdOff), g.lcdRepeat);
    Emit(kImages, "ID_LCDREPEAT_OVER", repeatText("REP 1", t.lcdOn), g.lcdRepeat);
    Emit(kImages, "ID_LCDREPEAT_DOWN", repeatText("REP ALL", t.lcdOn), g.lcdRepeat);

    // LEDs beside the repeat and shuffle buttons.
    auto led = [&](const QRect& r, const QColor& core, bool lit) {
        return Finished(r, [&](QPainter& p, const QRect& a) { DrawLed(p, a, core, t.plateShadow, lit); });
    };
    Emit(kImages, "ID_BTREPEAT_LAMP_DEFAULT", led(g.repeatLamp, t.accent, false), g.repeatLamp);
    Emit(kImages, "ID_BTREPEAT_LAMP_DOWN", led(g.repeatLamp, t.spectrumMiddle, true), g.repeatLamp);
    Emit(kImages, "ID_BTREPEAT_LAMP_OVER", led(g.repeatLamp, t.accent, true), g.repeatLamp);
    Emit(kImages, "ID_BTSHUFFLE_LAMP_DEFAULT", led(g.shuffleLamp, t.accent, false), g.shuffleLamp);
    Emit(kImages, "ID_BTSHUFFLE_LAMP_OVER", led(g.shuffleLamp, t.accent, true), g.shuffleLamp);
    Emit(kImages, "ID_BTSHUFFLE_LAMP_DOWN", led(g.shuffleLamp, t.accent, true), g.shuffleLamp);

    // Buttons.
    IconSet("ID_BTPLAY", g.play, Icon::Play);
    IconSet("ID_BTPAUSE", g.play, Icon::Pause);
    IconSet("ID_BTSTOP", g.stop, Icon::Stop);
    IconSet("ID_BTBACK", g.back, Icon::Back);
    IconSet("ID_BTNEXT", g.next, Icon::Next);
    IconSet("ID_BTOPEN", g.open, Icon::Open);
    IconSet("ID_BTMINI", g.mini, Icon::Minimize);
    IconSet("ID_BTCLOSE", g.close, Icon::Close);
    IconSet("ID_BTSOUNDON", g.mute, Icon::Speaker);
    IconSet("ID_BTSOUNDOFF", g.mute, Icon::SpeakerMuted);
    IconSet("ID_BTREPEAT_OFF", g.repeatButton, Icon::Repeat);
    IconSet("ID_BTREPEAT_ONE", g.repeatButton, Icon::RepeatOne);
    IconSet("ID_BTREPEAT_UNLIMIT", g.repeatButton, Icon::RepeatAll);
    IconSet("ID_BTSHUFFLE_INORDER", g.shuffleButton, Icon::InOrder);
    IconSet("ID_BTSHUFFLE_OUTORDER", g.shuffleButton, Icon::Shuffle);
    auto toggle = [&](const QString& label, bool on) {
        return [this, label, on](QPainter& p, QRect inner, QColor c) {
            const int h = inner.height();
            const QRect ledRect(inner.left() + 5, inner.top() + (h - 5) / 2, 5, 5);
            DrawLed(p, ledRect, t.accent, t.buttonShadow, on);
            DrawText(p, ledRect.right() + 4, inner.top() + (h - 5) / 2, label, c);
        };
    };
    ButtonSet("ID_BTEQON", g.eqButton, toggle("EQ", true));
    ButtonSet("ID_BTEQOFF", g.eqButton, toggle("EQ", false));
    ButtonSet("ID_BTPLON", g.plButton, toggle("PL", true));
    ButtonSet("ID_BTPLOFF", g.plButton, toggle("PL", false));

    // Number displays and their slots.
    DigitSet("ID_LCD_NOWTIME_NUMBER", g.now[0], k.bigThickness);
    DigitSet("ID_LCD_ENDTIME_NUMBER", g.end[0], 1);
    DigitSet("ID_LCD_STATE_NUMBER", g.kbps[0], 1);
    Emit(kNumbers, "ID_LCD_NOWTIME_DOT",
         Finished(g.now[2], [&](QPainter& p, const QRect& a) { DrawSegmentColon(p, a, k.bigThickness, t.lcdOn); }),
         g.now[2]);
    const char* nowSlots[5] = {"ID_NOWTIME_MINLEFT", "ID_NOWTIME_MINRIGHT", "ID_NOWTIME_POS_DOT", "ID_NOWTIME_SECLEFT",
                               "ID_NOWTIME_SECRIGHT"};
    for (int i = 0; i < 5; ++i) {
        const QRect& r = g.now[i];
        out.Position(kNumbers, nowSlots[i], r.left(), r.top(), r.width(), r.height());
        // The remaining-time slots are the same places; the minus sign stands before them.
        out.Position(kNumbers, std::string(nowSlots[i]) + "_MINUS", r.left(), r.top(), r.width(), r.height(),
                     /*asButton=*/true);
    }
    const char* endSlots[4] = {"ID_ENDTIME_MINLEFT", "ID_ENDTIME_MINRIGHT", "ID_ENDTIME_SECLEFT", "ID_ENDTIME_SECRIGHT"};
    const int endIndex[4] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        const QRect& r = g.end[endIndex[i]];
        out.Position(kNumbers, endSlots[i], r.left(), r.top(), r.width(), r.height());
    }
    const char* kbps[3] = {"ID_KBPSHUNDRED", "ID_KBPSTEN", "ID_KBPSONE"};
    const char* khz[3] = {"ID_KHZHUNDRED", "ID_KHZTEN", "ID_KHZONE"};
    for (int i = 0; i < 3; ++i) {
        out.Position(kNumbers, kbps[i], g.kbps[i].left(), g.kbps[i].top(), g.kbps[i].width(), g.kbps[i].height());
        out.Position(kNumbers, khz[i], g.khz[i].left(), g.khz[i].top(), g.khz[i].width(), g.khz[i].height());
    }

    // Spectrum: ground and a bar image whose rows carry the colours, as tall as the ground.
    Emit(kImages, "ID_LCD_SPEC_GROUND", Piece(g.spectrum), g.spectrum);
    QImage bar(k.barWidth, g.spectrum.height(), QImage::Format_RGB32);
    {
        QPainter p(&bar);
        const int h = bar.height();
        FillGradient(p, QRect(0, 0, k.barWidth, h / 2), t.spectrumTop, t.spectrumMiddle);
        FillGradient(p, QRect(0, h / 2, k.barWidth, h - h / 2), t.spectrumMiddle, t.spectrumBottom);
    }
    Emit(kImages, "ID_LCD_SPEC", bar, QRect(g.spectrum.topLeft(), bar.size()));
    Emit(kImages, "ID_LCD_MP3INFO_GROUND", Piece(g.strip), g.strip);
    // A negative size asks for the character height, which keeps Hangul legible.
    out.Font("ID_LCD_MP3INFO", design.knobs.fontFace, -k.fontSize, 1);
    out.Color("ID_LCDFONT_MP3INFO_COLOR", t.text.red(), t.text.green(), t.text.blue());

    // Sliders.
    Slider("ID_PLAYER_ITIMELINE_FULL", "ID_PLAYER_ITIMELINE_EMPTY", "ID_PLAYER_BTTIMELINE", g.timeTrack, g.timeThumb);
    Slider("ID_PLAYER_IVOLUMELINE_FULL", "ID_PLAYER_IVOLUMELINE_EMPTY", "ID_PLAYER_BTVOLUMELINE", g.volumeTrack,
           g.volumeThumb);
    // The whole slider areas, kept for skins that want to describe them.
    const QRect timeArea(g.timeTrack.left(), g.timeThumb.top(), g.timeTrack.width() + k.thumbW, k.thumbH);
    const QRect volumeArea(g.volumeTrack.left(), g.volumeThumb.top(), g.volumeTrack.width() + g.volumeThumb.width(),
                           g.volumeThumb.height());
    out.Button(kButtons, "ID_BTTIMELINE", Save("ID_BTTIMELINE", Piece(timeArea)), "", "", timeArea.left(),
               timeArea.top(), timeArea.width(), timeArea.height(), 1);
    out.Button(kButtons, "ID_BTVOLUMELINE", Save("ID_BTVOLUMELINE", Piece(volumeArea)), "", "", volumeArea.left(),
               volumeArea.top(), volumeArea.width(), volumeArea.height(), 1);
    out.Button(kButtons, "ID_BTTIME", "", "", "", timeArea.left(), timeArea.top(), timeArea.width(), timeArea.height(), 0);
    out.Button(kButtons, "ID_BTVOLUME", "", "", "", volumeArea.left(), volumeArea.top(), volumeArea.width(),
               volumeArea.height(), 0);
}

}  // namespace

void BuildMainWindow(SkinWriter& out, const SkinDesign& design) {
    MainBuilder builder{out, design, design.theme, design.knobs, {}, {}};
    builder.Build();
}

}  // namespace skingen
