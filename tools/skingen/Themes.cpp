// The colours and proportions of the shipped skins.
#include <QPainter>

#include "PixelArt.h"
#include "SkinDesign.h"

namespace skingen {

SkinDesign DefaultDesign() {
    SkinDesign d;
    d.folder = "Default";
    d.name = "oXu(Default)";
    Theme& t = d.theme;
    // Graphite body, teal LCD.
    t.bodyTop = QColor(0x34, 0x38, 0x3f);
    t.bodyBottom = QColor(0x22, 0x25, 0x2a);
    t.bodyLight = QColor(0x4b, 0x51, 0x5a);
    t.bodyShadow = QColor(0x12, 0x14, 0x17);
    t.outline = QColor(0x08, 0x09, 0x0b);
    t.plate = QColor(0x1a, 0x1c, 0x20);
    t.plateShadow = QColor(0x0d, 0x0e, 0x10);
    t.plateLight = QColor(0x3c, 0x41, 0x48);
    t.lcdTop = QColor(0x0e, 0x1d, 0x1a);
    t.lcdBottom = QColor(0x08, 0x12, 0x10);
    t.lcdOn = QColor(0x62, 0xf0, 0xc4);
    t.lcdOff = QColor(0x12, 0x25, 0x20);
    t.lcdDim = QColor(0x2e, 0x6b, 0x5a);
    t.lcdFrame = QColor(0x05, 0x07, 0x07);
    t.buttonTop = QColor(0x44, 0x4a, 0x53);
    t.buttonBottom = QColor(0x2c, 0x30, 0x36);
    t.buttonOverTop = QColor(0x50, 0x57, 0x61);
    t.buttonOverBottom = QColor(0x35, 0x3a, 0x41);
    t.buttonDownTop = QColor(0x1c, 0x1f, 0x23);
    t.buttonDownBottom = QColor(0x27, 0x2b, 0x30);
    t.buttonLight = QColor(0x62, 0x69, 0x73);
    t.buttonShadow = QColor(0x10, 0x12, 0x14);
    t.icon = QColor(0xcf, 0xd6, 0xde);
    t.iconOver = QColor(0x7d, 0xf5, 0xd0);
    t.iconDown = QColor(0x55, 0xd6, 0xae);
    t.accent = QColor(0x4f, 0xe0, 0xb0);
    t.accentDark = QColor(0x23, 0x86, 0x69);
    t.ledOff = QColor(0x1e, 0x33, 0x2d);
    t.spectrumTop = QColor(0xff, 0x6b, 0x4a);
    t.spectrumMiddle = QColor(0xff, 0xd0, 0x5c);
    t.spectrumBottom = QColor(0x4c, 0xe8, 0xb2);
    t.logo = QColor(0xd8, 0xde, 0xe6);
    t.label = QColor(0x8a, 0x93, 0x9e);
    t.text = QColor(0x62, 0xf0, 0xc4);
    return d;
}

SkinDesign NimbusDesign() {
    SkinDesign d;
    d.folder = "Nimbus";
    d.name = "Nimbus";
    Theme& t = d.theme;
    // Pale aluminium body, ice-blue LCD with navy ink, orange accents.
    t.bodyTop = QColor(0xee, 0xf1, 0xf5);
    t.bodyBottom = QColor(0xc9, 0xd0, 0xd9);
    t.bodyLight = QColor(0xfc, 0xfd, 0xfe);
    t.bodyShadow = QColor(0x8d, 0x97, 0xa3);
    t.outline = QColor(0x55, 0x5f, 0x6b);
    t.plate = QColor(0xd6, 0xdc, 0xe3);
    t.plateShadow = QColor(0x9a, 0xa4, 0xb0);
    t.plateLight = QColor(0xf7, 0xf9, 0xfb);
    t.lcdTop = QColor(0xd4, 0xe6, 0xf2);
    t.lcdBottom = QColor(0xb7, 0xd0, 0xe3);
    t.lcdOn = QColor(0x14, 0x33, 0x63);
    t.lcdOff = QColor(0xbf, 0xd5, 0xe6);
    t.lcdDim = QColor(0x5d, 0x7d, 0x9e);
    t.lcdFrame = QColor(0x4a, 0x57, 0x66);
    t.buttonTop = QColor(0xfa, 0xfb, 0xfc);
    t.buttonBottom = QColor(0xd9, 0xdf, 0xe6);
    t.buttonOverTop = QColor(0xff, 0xf4, 0xe8);
    t.buttonOverBottom = QColor(0xf5, 0xd9, 0xbd);
    t.buttonDownTop = QColor(0xc3, 0xcb, 0xd5);
    t.buttonDownBottom = QColor(0xd8, 0xde, 0xe5);
    t.buttonLight = QColor(0xff, 0xff, 0xfe);
    t.buttonShadow = QColor(0x7f, 0x8a, 0x97);
    t.icon = QColor(0x33, 0x3f, 0x4e);
    t.iconOver = QColor(0xe8, 0x6a, 0x12);
    t.iconDown = QColor(0xc4, 0x55, 0x0a);
    t.accent = QColor(0xff, 0x8a, 0x2a);
    t.accentDark = QColor(0xc9, 0x5f, 0x10);
    t.ledOff = QColor(0xb5, 0xbd, 0xc7);
    t.spectrumTop = QColor(0xe8, 0x4a, 0x2a);
    t.spectrumMiddle = QColor(0xf2, 0x9a, 0x2c);
    t.spectrumBottom = QColor(0x24, 0x5c, 0xa8);
    t.logo = QColor(0x2b, 0x36, 0x44);
    t.label = QColor(0x5a, 0x66, 0x74);
    t.text = QColor(0x14, 0x33, 0x63);
    Knobs& k = d.knobs;
    k.width = 410;
    k.height = 146;
    k.titleHeight = 18;
    k.rightColumn = 112;
    k.bigDigitW = 13;
    k.bigDigitH = 22;
    k.bigThickness = 3;
    k.smallDigitW = 7;
    k.smallDigitH = 11;
    k.barWidth = 3;
    k.buttonW = 36;
    k.buttonH = 22;
    k.thumbW = 18;
    k.thumbH = 13;
    k.anchored = true;
    k.eqWidth = 260;
    k.eqHeight = 128;
    k.eqTrack = 64;
    k.eqThumbH = 10;
    k.eqColumnW = 13;
    k.eqPitch = 20;
    k.listCorner = 30;
    k.listTop = 24;
    k.listBottom = 30;
    k.fontSize = 13;
    return d;
}

QImage Crop(const QImage& canvas, const QRect& r) { return canvas.copy(r); }

void DrawButtonFace(QImage& image, const Theme& t, Face face) {
    QPainter p(&image);
    const QRect r = image.rect();
    const QColor top = face == Face::Normal ? t.buttonTop : face == Face::Over ? t.buttonOverTop : t.buttonDownTop;
    const QColor bottom =
        face == Face::Normal ? t.buttonBottom : face == Face::Over ? t.buttonOverBottom : t.buttonDownBottom;
    // Outline with the corners cut, then the face and its bevel.
    p.fillRect(r.adjusted(1, 0, -1, 0), t.outline);
    p.fillRect(r.adjusted(0, 1, 0, -1), t.outline);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    FillGradient(p, inner, top, bottom);
    if (face == Face::Down) Bevel(p, inner, t.buttonShadow, bottom.lighter(115));
    else Bevel(p, inner, t.buttonLight, t.buttonShadow);
}

QImage ButtonPicture(const QImage& ground, const Theme& t, Face face, const ButtonDecoration& decoration) {
    QImage image = ground.copy();
    DrawButtonFace(image, t, face);
    QPainter p(&image);
    QRect inner = image.rect();
    if (face == Face::Down) inner.translate(1, 1);
    decoration(p, inner, face == Face::Normal ? t.icon : face == Face::Over ? t.iconOver : t.iconDown);
    return image;
}

}  // namespace skingen
