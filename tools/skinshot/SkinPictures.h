#pragma once
// Offscreen pictures of a skin: the main, equaliser and playlist windows composed
// from a skin folder in a fixed demonstration state, following the windows' drawing
// order and placement rules (DrawElement, edge fills, line sliders, digit displays).
// Used for the screenshots in docs/skins and for the skin page's preview bitmap.
//
// Needs a QGuiApplication (the text strip and the list rows use fonts).

#include <QImage>
#include <QSize>
#include <QString>

#include <string>

#include "SkinIdentifiers.h"

namespace tavora::pictures {

// Loads every identifier of the skin in `folder`; returns false when the description
// file does not parse.
bool LoadSkin(const std::string& folder, SkinElementSet& set);

struct MainState {
    bool playing = true;
    int elapsed = 83;   // seconds
    int length = 245;   // seconds
    int kbps = 192;
    int sampleRate = 44100;
    int channels = 2;
    bool showElapsed = true;
    bool equalizerShown = true;
    bool playlistShown = true;
    int repeat = 2;  // 0 none, 1 one, 2 all
    bool shuffle = false;
    bool muted = false;
    double position = 0.34;
    double volume = 0.7;
    QString title = QStringLiteral("Aurora Lights - 새벽의 노래");
    QString hoverButton;  // stem such as "ID_BTNEXT" drawn hovered
};

QImage MainPicture(SkinElementSet& set, const MainState& state);
// Gains per band (60 Hz first), master offset as a fraction of the track.
QImage EqualizerPicture(SkinElementSet& set, const int (&gains)[10], double master, bool on);
QImage PlaylistPicture(SkinElementSet& set, QSize size);
// Main window with the equaliser docked on the right and the playlist below.
QImage DockedPicture(SkinElementSet& set);
// The main window's buttons in their normal, hovered and pressed pictures, one row
// per button, doubled in size.
QImage ButtonStatesPicture(SkinElementSet& set);
// The skin page's preview: the docked picture scaled into 226 x 117.
QImage PreviewPicture(SkinElementSet& set);

}  // namespace tavora::pictures
