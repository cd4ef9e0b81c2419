#include "SkinIdentifiers.h"

#include "SkinBitmap.h"
#include "SkinReader.h"

namespace tavora {

namespace {

constexpr const char* kMainImages = "MainControl/ImageCollection";
constexpr const char* kMainNumbers = "MainControl/NumberCollection";
constexpr const char* kMainButtons = "MainControl/ButtonCollection";
constexpr const char* kEqImages = "Equalizer/ImageCollection";
constexpr const char* kEqButtons = "Equalizer/ButtonCollection";
constexpr const char* kListImages = "ListControl/ImageCollection";
constexpr const char* kListButtons = "ListControl/ButtonCollection";

std::vector<SkinIdentifier> BuildTable() {
    std::vector<SkinIdentifier> t;
    auto add = [&t](const char* collection, std::string id, SkinIdKind kind) {
        t.push_back({collection, std::move(id), kind});
    };
    add("Default/General", "ID_SKIN_NAME", SkinIdKind::SkinName);

    // Main window.
    for (const char* id : {"ID_PLAYER_IMAIN", "ID_PLAYER_IEQGROUND", "ID_PLAYER_ICLOSEGROUND", "ID_PLAYER_IREPEAT",
                           "ID_PLAYER_ISHUFFLE", "ID_PLAYER_IVOLUMGROUND", "ID_LCD_ENDTIME_DOT", "ID_PLAYER_ROGO",
                           "ID_LCD_LINE_NOWTIME_ENDTIME"})
        add(kMainImages, id, SkinIdKind::Ground);
    for (const char* stem :
         {"ID_BTPLAY", "ID_BTPAUSE", "ID_BTBACK", "ID_BTNEXT", "ID_BTSTOP", "ID_BTOPEN", "ID_BTEQON", "ID_BTEQOFF",
          "ID_BTPLON", "ID_BTPLOFF", "ID_BTMINI", "ID_BTCLOSE", "ID_BTREPEAT_UNLIMIT", "ID_BTREPEAT_ONE",
          "ID_BTREPEAT_OFF", "ID_BTSHUFFLE_OUTORDER", "ID_BTSOUNDON", "ID_BTSOUNDOFF", "ID_BTSHUFFLE_INORDER",
          "ID_LCDREPEAT", "ID_BTREPEAT_LAMP", "ID_BTSHUFFLE_LAMP"})
        for (const char* ending : {"_DEFAULT", "_OVER", "_DOWN"}) add(kMainImages, std::string(stem) + ending, SkinIdKind::Ground);
    for (const char* stem : {"ID_LCDSHUFFLE", "ID_LCD_MONO_ON", "ID_LCD_STEREO_ON", "ID_LCD_EQ_ON", "ID_LCD_PL_ON",
                             "ID_LCD_PLAY_ON", "ID_LCD_WAIT_ON", "ID_LCD_STOP_ON"})
        for (const char* ending : {"_DEFAULT", "_OVER"}) add(kMainImages, std::string(stem) + ending, SkinIdKind::Ground);
    for (const char* id :
         {"ID_LCD_LINE_MINUS", "ID_LCD_LINE_MINUS_OVER", "ID_LCD_SPEC_GROUND", "ID_LCD_SPEC", "ID_LCD_MP3INFO_GROUND"})
        add(kMainImages, id, SkinIdKind::Ground);

    for (const char* set : {"ID_LCD_NOWTIME_NUMBER", "ID_LCD_ENDTIME_NUMBER", "ID_LCD_STATE_NUMBER"})
        for (int d = 0; d <= 9; ++d) add(kMainNumbers, set + std::to_string(d), SkinIdKind::Ground);
    add(kMainNumbers, "ID_LCD_NOWTIME_DOT", SkinIdKind::Ground);
    for (const char* id : {"ID_NOWTIME_MINLEFT", "ID_NOWTIME_MINRIGHT", "ID_NOWTIME_POS_DOT", "ID_NOWTIME_SECLEFT",
                           "ID_NOWTIME_SECRIGHT", "ID_NOWTIME_MINLEFT_MINUS", "ID_NOWTIME_MINRIGHT_MINUS",
                           "ID_NOWTIME_POS_DOT_MINUS", "ID_NOWTIME_SECLEFT_MINUS", "ID_NOWTIME_SECRIGHT_MINUS",
                           "ID_ENDTIME_MINLEFT", "ID_ENDTIME_MINRIGHT", "ID_ENDTIME_SECLEFT", "ID_ENDTIME_SECRIGHT",
                           "ID_KBPSHUNDRED", "ID_KBPSTEN", "ID_KBPSONE", "ID_KHZHUNDRED", "ID_KHZTEN", "ID_KHZONE"})
        add(kMainNumbers, id, SkinIdKind::Position);

    for (const char* id : {"ID_BTTIMELINE", "ID_BTVOLUMELINE", "ID_PLAYER_ITIMELINE_FULL", "ID_PLAYER_ITIMELINE_EMPTY",
                           "ID_PLAYER_BTTIMELINE", "ID_PLAYER_IVOLUMELINE_FULL", "ID_PLAYER_IVOLUMELINE_EMPTY",
                           "ID_PLAYER_BTVOLUMELINE"})
        add(kMainButtons, id, SkinIdKind::Button1);
    add(kMainButtons, "ID_BTTIME", SkinIdKind::ButtonRect);
    add(kMainButtons, "ID_BTVOLUME", SkinIdKind::ButtonRect);
    add("Font", "ID_LCD_MP3INFO", SkinIdKind::Font);
    add("RGB", "ID_LCDFONT_MP3INFO_COLOR", SkinIdKind::Rgb);

    // Equaliser window.
    for (const char* id : {"ID_EQ_IMAIN", "ID_EQ_ICONTROLTOP", "ID_EQ_ICONTROLBOTTOM"})
        add(kEqImages, id, SkinIdKind::Ground);
    add(kEqImages, "ID_EQ_ICONTROLBUTTON", SkinIdKind::GroundRect);
    add(kEqButtons, "ID_EQ_BTCONTROLLINE", SkinIdKind::Button1);
    for (const char* id : {"ID_EQ_BTPRESETS", "ID_EQ_BTEQON", "ID_EQ_BTEQOFF", "ID_EQ_BTEQ_ONOFF_LAMP",
                           "ID_EQ_BTLINE_FULL", "ID_EQ_BTLINE_EMPTY", "ID_EQ_BTLINE"})
        add(kEqButtons, id, SkinIdKind::Button3);
    for (const char* stem : {"ID_EQ_BTLINE_FULL", "ID_EQ_BTLINE_EMPTY", "ID_EQ_BTCONTROLL"})
        for (int k = 1; k <= 11; ++k) add(kEqButtons, stem + std::to_string(k), SkinIdKind::Position);

    // Playlist window and its list control.
    for (const char* id : {"ID_LIST_IGROUNDADD", "ID_LIST_IGROUNDCLOSE", "ID_LIST_ILEFTTOP", "ID_LIST_IRIGHTTOP",
                           "ID_LIST_ILEFTBOTTOM", "ID_LIST_IRIGHTBOTTOM", "ID_LIST_IRIGHTCENTER",
                           "ID_LIST_ILEFTCENTER", "ID_LIST_ITOPDOT", "ID_LIST_ILEFTCENTERDOT",
                           "ID_LIST_IRIGHTCENTERDOT", "ID_LIST_IBOTTOMDOT", "ID_LIST_IGROUNDRESIZEING",
                           "ID_LIST_IGROUNDINITIAL", "ID_LIST_ILISTSCROLLTOP", "ID_LIST_ILISTSCROLLBOTTOM",
                           "ID_LIST_ILISTSCROLLDOT", "ID_LIST_ILISTSCROLLSMALLDOT"})
        add(kListImages, id, SkinIdKind::Ground);
    add(kListButtons, "ID_LISTBTSCROLL", SkinIdKind::Button1);
    for (const char* id : {"ID_LISTBTCLOSE", "ID_LISTBTDEL", "ID_LISTBTADD", "ID_LISTBTLIST"})
        add(kListButtons, id, SkinIdKind::Button3);
    add("ListControl/ListPos", "ID_LIST_BOTTOM_POS", SkinIdKind::GroundRect);

    // Skin page preview.
    add("Setting/Screenshot", "ID_SETTING_SCREENSHOT", SkinIdKind::Ground);
    add("Setting/Screenshot", "ID_SETTING_SCREENSHOT_OVER", SkinIdKind::Ground);
    return t;
}

}  // namespace

const std::vector<SkinIdentifier>& SkinIdentifiers() {
    static const std::vector<SkinIdentifier> table = BuildTable();
    return table;
}

int LoadSkinElementSet(SkinReader& reader, const std::string& skinFolder, SkinElementSet& set) {
    int found = 0;
    for (const SkinIdentifier& entry : SkinIdentifiers()) {
        const std::string& c = entry.collection;
        const std::string& id = entry.id;
        bool ok = false;
        switch (entry.kind) {
        case SkinIdKind::SkinName: ok = reader.ReadSkinName(c, id, set.name); break;
        case SkinIdKind::Font: ok = reader.ReadFontName(c, id, set.font) && reader.ReadFont(c, id, set.font); break;
        case SkinIdKind::Rgb: ok = reader.ReadColor(c, id, set.font); break;
        case SkinIdKind::Position: ok = reader.ReadPositionRect(c, id, set[id]); break;
        case SkinIdKind::GroundRect: ok = reader.ReadGroundRect(c, id, set[id]); break;
        case SkinIdKind::ButtonRect: ok = reader.ReadButtonRect(c, id, set[id]); break;
        case SkinIdKind::Ground: {
            SkinElement& e = set[id];
            ok = reader.ReadGround(c, id, e);
            LoadBitmapFromSkin(e.defaultBitmap, skinFolder, e.defaultImage);
            break;
        }
        case SkinIdKind::Button1:
        case SkinIdKind::Button3: {
            SkinElement& e = set[id];
            const bool three = entry.kind == SkinIdKind::Button3;
            ok = reader.ReadButton(c, id, e, three ? 3 : 1);
            LoadBitmapFromSkin(e.defaultBitmap, skinFolder, e.defaultImage);
            if (three) {
                LoadBitmapFromSkin(e.overBitmap, skinFolder, e.overImage);
                LoadBitmapFromSkin(e.downBitmap, skinFolder, e.downImage);
            }
            break;
        }
        }
        found += ok ? 1 : 0;
    }
    return found;
}

}  // namespace tavora
