// Feeds arbitrary bytes to the skin description reader as a description file, runs
// every lookup the windows make, and places and edge-fills what was read on a small
// surface, so that parse errors, odd numbers and huge rectangles are all exercised.
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "DrawElement.h"
#include "SkinIdentifiers.h"
#include "SkinReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavora::SkinReader reader;
    reader.OpenBuffer(std::string_view(reinterpret_cast<const char*>(data), size));

    static QImage canvas(64, 48, QImage::Format_RGB32);
    static QImage pixel(3, 3, QImage::Format_RGB32);
    QPainter painter(&canvas);
    const QRect client = canvas.rect();
    tavora::SkinFont font;
    std::string name;
    for (const tavora::SkinIdentifier& entry : tavora::SkinIdentifiers()) {
        tavora::SkinElement e;
        const std::string& c = entry.collection;
        reader.ReadButton(c, entry.id, e, 3);
        reader.ReadGround(c, entry.id, e);
        reader.ReadPositionRect(c, entry.id, e);
        reader.ReadFontName(c, entry.id, font);
        reader.ReadFont(c, entry.id, font);
        reader.ReadColor(c, entry.id, font);
        reader.ReadSkinName(c, entry.id, name);
        e.defaultBitmap = pixel;
        for (auto kind : {tavora::SkinWindowKind::Main, tavora::SkinWindowKind::Equalizer,
                          tavora::SkinWindowKind::Playlist, tavora::SkinWindowKind::ListControl})
            tavora::DrawElement(painter, client, e, tavora::SkinImage::Default, kind);
        tavora::DrawEdgeFill(painter, client, e);
    }
    // IDs that break the expression text.
    tavora::SkinElement e;
    reader.ReadGround("MainControl/ImageCollection", "x']|//*[@ID='", e);
    reader.ReadGround("]]", "'", e);
    return 0;
}
