#pragma once
// The two skins the project ships, as colour themes and layout knobs, and the
// builders that draw each window's bitmaps from them.

#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

#include <functional>
#include <string>

#include "SkinWriter.h"

namespace skingen {

struct Theme {
    QColor bodyTop, bodyBottom, bodyLight, bodyShadow, outline;
    QColor plate, plateShadow, plateLight;
    QColor lcdTop, lcdBottom, lcdOn, lcdOff, lcdDim, lcdFrame;
    QColor buttonTop, buttonBottom, buttonOverTop, buttonOverBottom, buttonDownTop, buttonDownBottom;
    QColor buttonLight, buttonShadow;
    QColor icon, iconOver, iconDown;
    QColor accent, accentDark, ledOff;
    QColor spectrumTop, spectrumMiddle, spectrumBottom;
    QColor logo, label;
    QColor text;  // text strip colour
};

struct Knobs {
    int width = 350, height = 124;
    int titleHeight = 16;
    int rightColumn = 96;            // width of the control column right of the display
    int bigDigitW = 10, bigDigitH = 17, bigThickness = 2;
    int smallDigitW = 6, smallDigitH = 9;
    int barWidth = 5;                // spectrum bar width
    int buttonW = 30, buttonH = 19;  // transport buttons
    int thumbW = 14, thumbH = 11;    // position slider thumb
    bool anchored = false;           // decorations anchored to the right and bottom edges
    int eqWidth = 228, eqHeight = 104, eqTrack = 50, eqThumbH = 8, eqColumnW = 11, eqPitch = 18;
    int listCorner = 24, listTop = 20, listBottom = 24;
    std::string fontFace = "굴림";
    int fontSize = 12;
};

struct SkinDesign {
    std::string folder;  // folder name below the skins root
    std::string name;    // display name
    Theme theme;
    Knobs knobs;
};

SkinDesign DefaultDesign();
SkinDesign NimbusDesign();

// Copy of r out of the canvas.
QImage Crop(const QImage& canvas, const QRect& r);

void BuildMainWindow(SkinWriter& out, const SkinDesign& design);
void BuildEqualizerWindow(SkinWriter& out, const SkinDesign& design);
void BuildPlaylistWindow(SkinWriter& out, const SkinDesign& design);

// Button faces: raised, hovered and pressed, with the icon drawn by `decorate`.
enum class Face { Normal, Over, Down };
void DrawButtonFace(QImage& image, const Theme& theme, Face face);

// Draws what a button shows (icon or label) inside its face, in the face's colour.
using ButtonDecoration = std::function<void(QPainter&, QRect, QColor)>;
// A button picture on `ground` (the piece of background it covers): the face, then
// the decoration, pushed one pixel down and right when pressed.
QImage ButtonPicture(const QImage& ground, const Theme& theme, Face face, const ButtonDecoration& decoration);

}  // namespace skingen
