#pragma once
// Fonts named by skins. Skins made on Korean Windows name Windows faces ("굴림",
// "돋움", "바탕"); they are substituted by the Korean fonts a Debian desktop has
// (Nanum). A skin's FontSize is a Windows font height: positive asks for the cell
// height (ascent + descent), negative for the character height.
//
// GUI thread only (QFont substitutions are process-wide).

#include <QFont>

#include <string>

namespace tavora {

// Registers the substitutions once; called by MakeSkinFont.
void InstallSkinFontSubstitutions();

// The font for a face name and a Windows font height (0 reads as 12).
QFont MakeSkinFont(const std::string& face, int fontSize);

}  // namespace tavora
