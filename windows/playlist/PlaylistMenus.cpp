#include "PlaylistMenus.h"

#include <QAction>
#include <QMenu>

#include "MenuResources.h"

namespace tavora {

QMenu* BuildPlaylistMenu(std::string_view name, QWidget* owner, std::function<void(int number)> send) {
    auto* menu = new QMenu(owner);
    const QString title = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    menu->setObjectName(title);
    const int resource = name == "리스트 메뉴" ? kPlaylistContextMenu : kPlaylistButtonMenus;
    for (const MenuItem& popup : LoadMenuResource(resource))
        if (popup.text == title) FillMenu(*menu, popup, {});
    QObject::connect(menu, &QMenu::triggered, menu, [send](QAction* action) {
        const int command = action->data().toInt();
        if (send && command > 0) send(command);
    });
    return menu;
}

const std::vector<PlaylistAccelerator>& PlaylistAccelerators() {
    static const std::vector<PlaylistAccelerator> table = [] {
        std::vector<PlaylistAccelerator> keys;
        for (const auto& [key, command] : LoadAcceleratorTable(kPlaylistAccelerators))
            keys.push_back({QKeySequence(QKeyCombination::fromCombined(key)), command});
        return keys;
    }();
    return table;
}

}  // namespace tavora
