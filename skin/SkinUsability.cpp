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
    check.usable = true;
    return check;
}

}  // namespace tavora
