#pragma once
// Every skin identifier the player's windows read, with its collection and the kind
// of element read there. The generator checks its skins against this table, the
// tests check the installed skins, and the preview composer loads by it.
//
// Collections are paths below the root element ("MainControl/ImageCollection"),
// kinds say which element is looked up and what is read from it.
//
// The table is built once and never changes (any thread may read it); loading an
// element set runs on the GUI thread.

#include <map>
#include <string>
#include <vector>

#include "SkinElement.h"

namespace tavora {

class SkinReader;

enum class SkinIdKind {
    Ground,       // Ground: GroundImage, rectangle, LineUp
    GroundRect,   // Ground: rectangle only
    Button1,      // Button: BtImageDefault, rectangle, LineUp
    Button3,      // Button: all three images, rectangle, LineUp
    ButtonRect,   // Button: rectangle only
    Position,     // Position/Ground or Position/Button: rectangle
    Font,         // font: FontName, X, Y, FontSize, FontHeight
    Rgb,          // rgb: R, G, B
    SkinName,     // SkinName: Name
};

struct SkinIdentifier {
    std::string collection;
    std::string id;
    SkinIdKind kind;
};

// The whole table, grouped by window: main window, equaliser, playlist window and
// list control, skin page.
const std::vector<SkinIdentifier>& SkinIdentifiers();

// Elements keyed by ID, as the preview composer and tests keep them.
struct SkinElementSet {
    std::map<std::string, SkinElement> elements;
    SkinFont font;
    std::string name;

    // The element of that ID; an empty element when the skin lacks it.
    SkinElement& operator[](const std::string& id) { return elements[id]; }
};

// Reads every identifier of the table with the reader (already opened) and loads
// the bitmaps from the skin folder. Returns how many identifiers were found.
int LoadSkinElementSet(SkinReader& reader, const std::string& skinFolder, SkinElementSet& set);

}  // namespace tavora
