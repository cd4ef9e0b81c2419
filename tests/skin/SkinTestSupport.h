#pragma once
// Small skins written on the fly for the skin tests, and the application object the
// widget and font tests need.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "QtTestSupport.h"
#include "TempFolder.h"

namespace tavora::test {


inline void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A BMP of one colour under <skin>/image/<name>.
inline void WriteBmp(const std::filesystem::path& skin, const std::string& name, int w, int h, QColor color) {
    const std::filesystem::path file = skin / "image" / name;
    std::filesystem::create_directories(file.parent_path());
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    image.save(QString::fromStdString(file.string()), "BMP");
}

// The main window's background element with the given size texts and bitmap.
inline std::string MainGround(const std::string& width, const std::string& height,
                              const std::string& image = "main.bmp") {
    return "<MainControl><ImageCollection><Ground ID=\"ID_PLAYER_IMAIN\" GroundImage=\"" + image +
           "\" X=\"0\" Y=\"0\" Width=\"" + width + "\" Height=\"" + height +
           "\" LineUp=\"1\"/></ImageCollection></MainControl>";
}

// A skin folder whose description names itself; `body` goes into the description after
// the name. By default the skin is just usable: a 40 x 20 main window background.
inline void WriteSkinFolder(const std::filesystem::path& folder, const std::string& displayName,
                            const std::string& body = MainGround("40", "20")) {
    WriteText(folder / "TavoraSkin.xml", "<TavoraSkin><Default><General><SkinName ID=\"ID_SKIN_NAME\" Name=\"" +
                                             displayName + "\"/></General></Default>" + body + "</TavoraSkin>");
    WriteBmp(folder, "main.bmp", 40, 20, QColor(40, 80, 120));
}

// Where the build put the generated skins.
inline std::string GeneratedSkin(const std::string& folder) {
    return std::string(TAVORA_GENERATED_SKINS_DIR) + "/" + folder;
}

}  // namespace tavora::test
