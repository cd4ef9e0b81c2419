// tavora-skingen OUTPUT_ROOT
//
// Draws the skins the player ships ("oXu(Default)" and "Nimbus") and writes each into
// OUTPUT_ROOT/<folder>: "TavoraSkin.xml" and its "image" folder of BMP files. Fails
// when a skin lacks an identifier the player's windows read.
#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

#include "PixelArt.h"
#include "SkinDesign.h"
#include "SkinPictures.h"
#include "SkinWriter.h"

namespace {

bool Generate(const QString& root, const skingen::SkinDesign& design) {
    const QString folder = QDir(root).filePath(QString::fromStdString(design.folder));
    QDir(folder).removeRecursively();

    skingen::SkinWriter writer(design.name);
    skingen::BuildMainWindow(writer, design);
    skingen::BuildEqualizerWindow(writer, design);
    skingen::BuildPlaylistWindow(writer, design);
    writer.Ground("Setting/Screenshot", "ID_SETTING_SCREENSHOT", "preview.bmp", 0, 0, 226, 117, 1);
    writer.Ground("Setting/Screenshot", "ID_SETTING_SCREENSHOT_OVER", "preview_over.bmp", 0, 0, 226, 117, 1);
    const auto missing = writer.Missing();
    for (const std::string& id : missing) std::fprintf(stderr, "skingen: %s lacks %s\n", design.name.c_str(), id.c_str());
    if (!missing.empty() || !writer.Write(folder)) return false;

    // The preview shows the skin itself, so it is composed from the written folder.
    tavora::SkinElementSet set;
    if (!tavora::pictures::LoadSkin(folder.toStdString(), set)) {
        std::fprintf(stderr, "skingen: %s does not read back\n", qPrintable(folder));
        return false;
    }
    QImage preview = tavora::pictures::PreviewPicture(set);
    skingen::AvoidStandardGreys(preview);
    QImage highlighted = preview.copy();
    {
        QPainter p(&highlighted);
        p.setPen(design.theme.accent);
        p.drawRect(highlighted.rect().adjusted(0, 0, -1, -1));
    }
    skingen::AvoidStandardGreys(highlighted);
    return preview.save(QDir(folder).filePath("image/preview.bmp"), "BMP") &&
           highlighted.save(QDir(folder).filePath("image/preview_over.bmp"), "BMP");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavora-skingen OUTPUT_ROOT\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(root)) {
        std::fprintf(stderr, "skingen: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const skingen::SkinDesign& design : {skingen::DefaultDesign(), skingen::NimbusDesign()})
        if (!Generate(root, design)) return 1;
    return 0;
}
