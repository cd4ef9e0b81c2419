#include "SkinFonts.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace tavora {

void InstallSkinFontSubstitutions() {
    static const bool installed = [] {
        const QString gothic = QStringLiteral("NanumGothic");
        const QString myeongjo = QStringLiteral("NanumMyeongjo");
        for (const char* face : {"굴림", "굴림체", "Gulim", "GulimChe", "돋움", "돋움체", "Dotum", "DotumChe",
                                 "맑은 고딕", "Malgun Gothic"})
            QFont::insertSubstitution(QString::fromUtf8(face), gothic);
        for (const char* face : {"바탕", "바탕체", "Batang", "BatangChe", "궁서", "궁서체", "Gungsuh"})
            QFont::insertSubstitution(QString::fromUtf8(face), myeongjo);
        return true;
    }();
    (void)installed;
}

QFont MakeSkinFont(const std::string& face, int fontSize) {
    InstallSkinFontSubstitutions();
    QFont font(QString::fromStdString(face));
    if (fontSize == 0) fontSize = 12;
    const int wanted = std::clamp(std::abs(fontSize), 4, 200);
    font.setPixelSize(wanted);
    if (fontSize > 0) {
        // A cell height: shrink until ascent + descent fit it.
        const int cell = QFontMetrics(font).height();
        if (cell > wanted) font.setPixelSize(std::max(4, wanted * wanted / cell));
    }
    return font;
}

}  // namespace tavora
