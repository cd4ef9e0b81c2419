// tavora-skinshot SKIN_FOLDER OUTPUT_PREFIX
//
// Composes the main, equaliser and playlist pictures of a skin offscreen, plus the
// three windows docked together and the button pictures in their three states, and
// saves them as OUTPUT_PREFIX-main.png, -equalizer.png, -playlist.png, -docked.png
// and -buttons.png.
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "SkinPictures.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavora-skinshot SKIN_FOLDER OUTPUT_PREFIX\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    tavora::SkinElementSet set;
    if (!tavora::pictures::LoadSkin(argv[1], set)) {
        std::fprintf(stderr, "skinshot: %s/TavoraSkin.xml does not parse\n", argv[1]);
        return 1;
    }
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    static const int kGains[10] = {5, 3, -3, -5, -3, 0, 3, 5, 5, 5};  // "록"
    const tavora::SkinElement& main = set["ID_PLAYER_IMAIN"];
    const bool ok = tavora::pictures::MainPicture(set, {}).save(prefix + "-main.png") &&
                    tavora::pictures::EqualizerPicture(set, kGains, 0.25, true).save(prefix + "-equalizer.png") &&
                    tavora::pictures::PlaylistPicture(set, QSize(main.Width, main.Height * 2))
                        .save(prefix + "-playlist.png") &&
                    tavora::pictures::DockedPicture(set).save(prefix + "-docked.png") &&
                    tavora::pictures::ButtonStatesPicture(set).save(prefix + "-buttons.png");
    if (!ok) std::fprintf(stderr, "skinshot: cannot write %s-*.png\n", argv[2]);
    return ok ? 0 : 1;
}
