#pragma once
// Where everything sits on a generated main window, computed from the skin's knobs.

#include <QRect>

#include "SkinDesign.h"

namespace skingen {

struct Geometry {
    QRect title, logo, closePlate, mini, close;
    QRect lcdFrame, glass;
    QRect lampPlay, lampWait, lampStop;
    QRect minus, now[5];  // min-left, min-right, colon, sec-left, sec-right
    QRect divider, end[5];
    QRect kbps[3], khz[3], kbpsLabel, khzLabel;
    QRect stereo, mono, eqLamp, plLamp, lcdRepeat, lcdShuffle;
    QRect spectrum, strip;
    QRect volumePlate, mute, volumeTrack, volumeThumb;
    QRect switchPlate, eqButton, plButton;
    QRect repeatPlate, repeatButton, repeatLamp, shufflePlate, shuffleButton, shuffleLamp;
    QRect timeTrack, timeThumb;
    QRect transport, back, play, stop, next, open;
    QRect brand;
};

// The layout for the knobs: display on the left, control column on the right,
// position slider and transport row below.
Geometry MainLayout(const Knobs& k);

}  // namespace skingen
