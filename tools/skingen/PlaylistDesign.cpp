// The playlist window of a generated skin. Its size changes, so the frame is cut
// from a reference drawing into corners (placed by their corner codes), one-pixel
// edge pieces that the window stretches along its edges, the scroll-bar column with
// its caps, and the buttons, which hang from the corners (codes 6 to 8) so that the
// window can hit-test them where they were drawn.
#include <QPainter>

#include <functional>

#include "PixelArt.h"
#include "SkinDesign.h"

namespace skingen {

namespace {
constexpr const char* kImages = "ListControl/ImageCollection";
constexpr const char* kButtons = "ListControl/ButtonCollection";
constexpr int kLeftMargin = 6;    // left frame, ID_LIST_ILEFTCENTERDOT width
constexpr int kRightMargin = 4;   // right frame, ID_LIST_IRIGHTCENTERDOT width
constexpr int kScrollColumn = 14; // scroll-bar column, the bar itself is 10 wide
constexpr int kCap = 6;           // scroll-bar caps
}  // namespace

void BuildPlaylistWindow(SkinWriter& out, const SkinDesign& design) {
    const Theme& t = design.theme;
    const Knobs& k = design.knobs;
    const int c = k.listCorner, top = k.listTop, bottom = k.listBottom;
    const int w = 320, h = 200;  // reference drawing
    const int column = kRightMargin + kScrollColumn;  // distance of the bar from the right edge

    QImage ref(w, h, QImage::Format_RGB32);
    QPainter p(&ref);
    p.fillRect(ref.rect(), t.outline);
    FillGradient(p, QRect(1, 1, w - 2, top - 1), t.bodyTop, t.bodyBottom);
    FillGradient(p, QRect(1, h - bottom, w - 2, bottom - 1), t.bodyTop, t.bodyBottom);
    p.fillRect(QRect(1, top, kLeftMargin - 1, h - top - bottom), t.bodyBottom);
    p.fillRect(QRect(w - kRightMargin, top, kRightMargin - 1, h - top - bottom), t.bodyBottom);
    Bevel(p, ref.rect().adjusted(1, 1, -1, -1), t.bodyLight, t.bodyShadow);
    // The list's border and the scroll-bar groove.
    p.fillRect(QRect(kLeftMargin - 1, top - 1, 1, h - top - bottom + 2), t.outline);
    p.fillRect(QRect(kLeftMargin - 1, top - 1, w - kLeftMargin - kRightMargin + 1, 1), t.outline);
    p.fillRect(QRect(kLeftMargin - 1, h - bottom, w - kLeftMargin - kRightMargin + 1, 1), t.bodyLight);
    const QRect groove(w - column, top - kCap, kScrollColumn, h - top - bottom + 2 * kCap);
    Well(p, groove.adjusted(-1, 0, 0, 0), t.plate, t.plateShadow, t.plateLight);
    p.fillRect(QRect(w - column, top - kCap + 1, 10, h - top - bottom + 2 * kCap - 2), t.plateShadow);

    // Title plate, close plate and the button bay.
    const QRect title(8, 3, TextWidth("PLAYLIST") + 14, top - 6);
    Well(p, title, t.lcdBottom, t.plateShadow, t.plateLight);
    DrawTextCentered(p, title, "PLAYLIST", t.lcdOn);
    const QRect closePlate(w - c - 2, 3, c - 4, top - 6);
    Well(p, closePlate, t.plate, t.plateShadow, t.plateLight);
    const int buttonW = 34, buttonH = bottom - 10;
    const QRect bay(8, h - bottom + 3, 3 * (buttonW + 2) + 2, bottom - 6);
    Well(p, bay, t.plate, t.plateShadow, t.plateLight);
    // Resize grip: diagonal ridges in the bottom-right corner.
    const int grip = 12;
    const QRect gripRect(w - grip - 1, h - grip - 1, grip, grip);
    for (int i = 0; i < grip; i += 3) {
        for (int j = 0; j <= i; ++j) {
            p.fillRect(QRect(gripRect.left() + grip - 1 - j, gripRect.top() + grip - 1 - i + j, 1, 1), t.bodyLight);
            if (j < i) p.fillRect(QRect(gripRect.left() + grip - 1 - j, gripRect.top() + grip - i + j, 1, 1), t.bodyShadow);
        }
    }
    p.end();

    auto save = [&](const std::string& name, const QImage& image) { return out.Image("list/" + name + ".bmp", image); };
    auto ground = [&](const std::string& id, const std::string& name, const QRect& r, int x, int y, int code) {
        out.Ground(kImages, id, save(name, Crop(ref, r)), x, y, r.width(), r.height(), code);
    };
    // Corners and edges.
    ground("ID_LIST_ILEFTTOP", "left_top", QRect(0, 0, c, top), 0, 0, 1);
    ground("ID_LIST_IRIGHTTOP", "right_top", QRect(w - c, 0, c, top), c, 0, 2);
    ground("ID_LIST_ITOPDOT", "top_dot", QRect(w / 2, 0, 1, top), 8, 0, 1);
    ground("ID_LIST_ILEFTBOTTOM", "left_bottom", QRect(0, h - bottom, c, bottom), 0, bottom, 3);
    ground("ID_LIST_IRIGHTBOTTOM", "right_bottom", QRect(w - c, h - bottom, c, bottom), c, bottom, 4);
    ground("ID_LIST_IBOTTOMDOT", "bottom_dot", QRect(w / 2, h - bottom, 1, bottom), 8, bottom, 2);
    ground("ID_LIST_ILEFTCENTERDOT", "left_dot", QRect(0, top + 20, kLeftMargin, 1), 0, top, 3);
    ground("ID_LIST_IRIGHTCENTERDOT", "right_dot", QRect(w - kRightMargin, top + 20, kRightMargin, 1), kRightMargin,
           top, 4);
    ground("ID_LIST_ILEFTCENTER", "left_center", QRect(0, top, kLeftMargin, 8), 0, top, 1);
    ground("ID_LIST_IRIGHTCENTER", "right_center", QRect(w - kRightMargin, top, kRightMargin, 8), kRightMargin, top, 2);
    // Title and close plates, the button bay and the grip.
    ground("ID_LIST_IGROUNDINITIAL", "title", title, title.left(), title.top(), 1);
    ground("ID_LIST_IGROUNDCLOSE", "close_ground", closePlate, w - closePlate.left(), closePlate.top(), 2);
    ground("ID_LIST_IGROUNDADD", "button_bay", bay, bay.left(), h - bay.top(), 3);
    ground("ID_LIST_IGROUNDRESIZEING", "grip", gripRect, w - gripRect.left(), h - gripRect.top(), 8);
    // Scroll-bar column, its caps and its track.
    // The column fill runs from Y to bottom - (Y + Height): a height of bottom - top
    // makes it end exactly where the bottom strip begins.
    ground("ID_LIST_ILISTSCROLLDOT", "scroll_dot", QRect(w - column, top + 20, kScrollColumn, bottom - top), column,
           top, 4);
    ground("ID_LIST_ILISTSCROLLTOP", "scroll_top", QRect(w - column, top - kCap, kScrollColumn, kCap), column,
           top - kCap, 2);
    ground("ID_LIST_ILISTSCROLLBOTTOM", "scroll_bottom", QRect(w - column, h - bottom, kScrollColumn, kCap), column,
           bottom, 4);
    QImage track(10, 1, QImage::Format_RGB32);
    for (int x = 0; x < 10; ++x) track.setPixel(x, 0, (x == 0 ? t.plateShadow.darker(130) : x == 5 ? t.plate : t.plateShadow).rgb());
    out.Ground(kImages, "ID_LIST_ILISTSCROLLSMALLDOT", save("scroll_track", track), column, 0, 10, 1, 5);

    // Thumb of the scroll bar.
    QImage thumb(10, 24, QImage::Format_RGB32);
    thumb.fill(t.plateShadow);
    DrawButtonFace(thumb, t, Face::Normal);
    {
        QPainter q(&thumb);
        for (int y = 9; y <= 15; y += 3) {
            q.fillRect(QRect(3, y, 4, 1), t.buttonShadow);
            q.fillRect(QRect(3, y + 1, 4, 1), t.buttonLight);
        }
    }
    out.Button(kButtons, "ID_LISTBTSCROLL", save("scroll_thumb", thumb), "", "", column, top, 10, 24, 0);

    // Buttons: close at the top-right corner, add / delete / list at the bottom-left.
    auto button = [&](const std::string& id, const std::string& name, const QRect& r, int x, int y, int code,
                      const std::function<void(QPainter&, QRect, QColor)>& deco) {
        auto face = [&](Face f) { return ButtonPicture(Crop(ref, r), t, f, deco); };
        out.Button(kButtons, id, save(name, face(Face::Normal)), save(name + "_down", face(Face::Down)),
                   save(name + "_over", face(Face::Over)), x, y, r.width(), r.height(), code);
    };
    const QRect close(closePlate.left() + 2, closePlate.top() + 1, closePlate.width() - 4, closePlate.height() - 2);
    button("ID_LISTBTCLOSE", "close", close, w - close.left(), close.top(), 6,
           [](QPainter& q, QRect r, QColor col) { DrawIcon(q, r, Icon::Close, col); });
    const char* labels[3] = {"ADD", "DEL", "LIST"};
    const char* ids[3] = {"ID_LISTBTADD", "ID_LISTBTDEL", "ID_LISTBTLIST"};
    const char* names[3] = {"add", "del", "list"};
    for (int i = 0; i < 3; ++i) {
        const QRect r(bay.left() + 2 + i * (buttonW + 2), bay.top() + 2, buttonW, buttonH);
        const QString label = labels[i];
        button(ids[i], names[i], r, r.left(), h - r.top(), 7,
               [label](QPainter& q, QRect inner, QColor col) { DrawTextCentered(q, inner, label, col); });
    }
    out.Ground("ListControl/ListPos", "ID_LIST_BOTTOM_POS", "", kLeftMargin, bottom, 0, 0, 0);
}

}  // namespace skingen
