// The equaliser window of a generated skin: a title row with the on/off switch, its
// lamp and the presets button, then eleven slider columns (master volume, then the
// ten bands from 60 Hz to 16 kHz) over a faint dB grid, labelled underneath.
//
// The window opens by sliding, so every element hangs from its right edge (code 2;
// the background is the full-width band, code 6). Slider k's thumb runs from Th
// above the track top (+12 dB) to 1.5 Th below its end (-12 dB): the groove in the
// background spans that whole way.
#include <QPainter>

#include "PixelArt.h"
#include "SkinDesign.h"

namespace skingen {

namespace {

constexpr const char* kImages = "Equalizer/ImageCollection";
constexpr const char* kButtons = "Equalizer/ButtonCollection";

}  // namespace

void BuildEqualizerWindow(SkinWriter& out, const SkinDesign& design) {
    const Theme& t = design.theme;
    const Knobs& k = design.knobs;
    const int cw = k.eqColumnW, th = k.eqThumbH, ht = k.eqTrack, pitch = k.eqPitch;
    const int titleH = 18;
    const int ty = titleH + 4 + th;  // track top
    const int columnBottom = ty + ht + th + th / 2;
    const int labelY = columnBottom + 3;
    const int height = labelY + 5 + 6;
    const int x0 = 12;                     // master column
    const int x1 = x0 + cw + 14;           // 60 Hz column
    const int width = x1 + 9 * pitch + cw + 12;
    auto columnX = [&](int slider) { return slider == 11 ? x0 : x1 + (10 - slider) * pitch; };
    auto fromRight = [&](int left) { return width - left; };

    QImage bg(width, height, QImage::Format_RGB32);
    QPainter p(&bg);
    p.fillRect(bg.rect(), t.outline);
    const QRect body = bg.rect().adjusted(1, 1, -1, -1);
    FillGradient(p, body, t.bodyTop, t.bodyBottom);
    Bevel(p, body, t.bodyLight, t.bodyShadow);
    DrawText(p, 9, 7, "EQUALIZER", t.bodyShadow);
    DrawText(p, 8, 6, "EQUALIZER", t.logo);

    const QRect onButton(8 + TextWidth("EQUALIZER") + 8, 4, 28, 13);
    const QRect lamp(onButton.right() + 5, onButton.center().y() - 2, 6, 6);
    const QRect presets(width - 8 - 52, 4, 52, 13);
    const QRect controlRow(onButton.left() - 3, 2, presets.right() - onButton.left() + 6, 17);
    Well(p, QRect(lamp.left() - 2, lamp.top() - 2, lamp.width() + 4, lamp.height() + 4), t.plate, t.plateShadow,
         t.plateLight);

    // Slider field: a recessed panel with lines at +12, 0 and -12 dB.
    const QRect field(x0 - 5, titleH + 2, width - 2 * (x0 - 5), columnBottom - titleH + 1);
    Well(p, field, t.plate, t.plateShadow, t.plateLight);
    const int centre = (ht + th + th / 2) / 2 - th / 2;
    const int step = (ht + th + th / 2) / 24;
    for (int gain : {12, 0, -12}) {
        const int y = ty + centre - gain * step;
        p.fillRect(QRect(x1 - 4, y, width - x1 - 8, 1), gain == 0 ? t.plateLight : t.plateShadow);
        p.fillRect(QRect(x0 + cw + 3, y, 5, 1), t.label);
    }
    const int groove = 4;
    for (int s = 1; s <= 11; ++s) {
        const int gx = columnX(s) + (cw - groove) / 2;
        Well(p, QRect(gx, ty - th / 2, groove, ht + th + 1), t.plateShadow.darker(120), t.plateShadow.darker(150),
             t.plateLight);
    }
    static const char* kLabels[11] = {"16K", "14K", "12K", "6K", "3K", "1K", "600", "310", "170", "60", "VOL"};
    for (int s = 1; s <= 11; ++s)
        DrawTextCentered(p, QRect(columnX(s) - 4, labelY, cw + 8, 5), kLabels[s - 1], s == 11 ? t.accent : t.label);
    p.end();

    auto save = [&](const std::string& name, const QImage& image) { return out.Image("eq/" + name + ".bmp", image); };
    out.Ground(kImages, "ID_EQ_IMAIN", save("main", bg), 0, 0, width, height, 6);
    const QRect top(0, 0, width, titleH + 2), bottom(0, labelY - 1, width, height - labelY + 1);
    out.Ground(kImages, "ID_EQ_ICONTROLTOP", save("control_top", Crop(bg, top)), fromRight(0), 0, top.width(),
               top.height(), 2);
    out.Ground(kImages, "ID_EQ_ICONTROLBOTTOM", save("control_bottom", Crop(bg, bottom)), fromRight(0), bottom.top(),
               bottom.width(), bottom.height(), 2);
    out.Ground(kImages, "ID_EQ_ICONTROLBUTTON", "", fromRight(controlRow.left()), controlRow.top(), controlRow.width(),
               controlRow.height(), 2);

    // Buttons and lamp.
    auto face = [&](const QRect& r, Face f, const QString& label, bool withLed) {
        return ButtonPicture(Crop(bg, r), t, f, [&](QPainter& q, QRect inner, QColor c) {
            if (withLed) DrawLed(q, QRect(inner.left() + 4, inner.top() + 4, 5, 5), t.accent, t.buttonShadow, true);
            DrawTextCentered(q, withLed ? inner.adjusted(8, 0, 0, 0) : inner, label, c);
        });
    };
    auto button = [&](const std::string& id, const QRect& r, const QString& label, bool withLed) {
        std::string stem = id.substr(6);
        for (char& ch : stem) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        out.Button(kButtons, id, save(stem, face(r, Face::Normal, label, withLed)),
                   save(stem + "_down", face(r, Face::Down, label, withLed)),
                   save(stem + "_over", face(r, Face::Over, label, withLed)), fromRight(r.left()), r.top(), r.width(),
                   r.height(), 2);
    };
    button("ID_EQ_BTPRESETS", presets, "PRESETS", false);
    button("ID_EQ_BTEQON", onButton, "ON", false);
    button("ID_EQ_BTEQOFF", onButton, "OFF", false);
    auto led = [&](bool lit) {
        QImage image = Crop(bg, lamp);
        QPainter q(&image);
        DrawLed(q, image.rect(), t.accent, t.plateShadow, lit);
        return image;
    };
    const std::string lampOn = save("lamp_on", led(true)), lampOff = save("lamp_off", led(false));
    out.Button(kButtons, "ID_EQ_BTEQ_ONOFF_LAMP", lampOn, lampOn, lampOff, fromRight(lamp.left()), lamp.top(),
               lamp.width(), lamp.height(), 2);

    // Shared slider images. The filled part is drawn Th/2 lower than the empty part.
    const int sampleX = columnX(1);
    QImage empty = Crop(bg, QRect(sampleX, ty, cw, ht));
    QImage full = Crop(bg, QRect(sampleX, ty + th / 2, cw, ht));
    {
        QPainter q(&full);
        const QRect fill((cw - groove) / 2 + 1, 0, groove - 2, ht);
        FillGradient(q, fill, t.accent.lighter(110), t.accentDark);
    }
    QImage thumb(cw, th, QImage::Format_RGB32);
    thumb.fill(t.plate);
    DrawButtonFace(thumb, t, Face::Normal);
    {
        QPainter q(&thumb);
        q.fillRect(QRect(2, th / 2 - 1, cw - 4, 1), t.buttonShadow);
        q.fillRect(QRect(2, th / 2, cw - 4, 1), t.accent);
    }
    const std::string emptyName = save("line_empty", empty), fullName = save("line_full", full),
                      thumbName = save("line_thumb", thumb);
    out.Button(kButtons, "ID_EQ_BTCONTROLLINE", emptyName, "", "", fromRight(sampleX), ty, cw, ht, 2);
    out.Button(kButtons, "ID_EQ_BTLINE_FULL", fullName, fullName, fullName, fromRight(sampleX), ty, cw, ht, 2);
    out.Button(kButtons, "ID_EQ_BTLINE_EMPTY", emptyName, emptyName, emptyName, fromRight(sampleX), ty, cw, ht, 2);
    out.Button(kButtons, "ID_EQ_BTLINE", thumbName, thumbName, thumbName, fromRight(sampleX), ty - th / 2, cw, th, 2);
    for (int s = 1; s <= 11; ++s) {
        const int x = fromRight(columnX(s));
        out.Position(kButtons, "ID_EQ_BTLINE_FULL" + std::to_string(s), x, ty, cw, ht);
        out.Position(kButtons, "ID_EQ_BTLINE_EMPTY" + std::to_string(s), x, ty, cw, ht);
        // The press area shares the column's X, whichever of them a window takes for the thumb.
        out.Position(kButtons, "ID_EQ_BTCONTROLL" + std::to_string(s), x, ty - th, cw, ht + th * 2 + th / 2,
                     /*asButton=*/true);
    }
}

}  // namespace skingen
