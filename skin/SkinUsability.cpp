#include "SkinUsability.h"

#include <QImage>

#include "SkinBitmap.h"
#include "SkinReader.h"

namespace tavora {

SkinCheck CheckSkinUsable(const std::string& folder) {
    SkinCheck check;
    SkinReader reader;
    if (folder.empty() || !reader.Open(folder + "/" + kSkinFileName)) {
        check.reason = "스킨 설명 파일(TavoraSkin.xml)을 읽을 수 없습니다.";
        return check;
    }
    SkinElement background;
    if (!reader.ReadGround("MainControl/ImageCollection", "ID_PLAYER_IMAIN", background)) {
        check.reason = "주 창의 배경(ID_PLAYER_IMAIN)이 없습니다.";
        return check;
    }
    if (background.Width < kMinMainWindowSide || background.Height < kMinMainWindowSide) {
        check.reason = "주 창의 크기(" + std::to_string(background.Width) + "x" + std::to_string(background.Height) +
                       ")가 올바르지 않습니다.";
        return check;
    }
    QImage bitmap;
    if (!LoadBitmapFromSkin(bitmap, folder, background.defaultImage)) {
        check.reason = "주 창의 배경 그림(" + background.defaultImage + ")을 읽을 수 없습니다.";
        return check;
    }
    // The window takes the declared size and is drawn from the picture: a window larger
    // than its picture would show a black expanse (a declared 2147483647 held to the
    // screen limit becomes a window of 4096 x 4096 around a small picture).
    if (background.Width > bitmap.width() || background.Height > bitmap.height()) {
        check.reason = "주 창의 크기(" + std::to_string(background.Width) + "x" + std::to_string(background.Height) +
                       ")가 배경 그림(" + std::to_string(bitmap.width()) + "x" + std::to_string(bitmap.height()) +
                       ")보다 큽니다.";
        return check;
    }
    check.usable = true;
    return check;
}

}  // namespace tavora
