#include "PlaylistMenus.h"

#include <QAction>
#include <QMenu>

#include "Commands.h"

namespace tavora {

const std::vector<PlaylistMenuItem>& PlaylistMenuItems(std::string_view name) {
    using namespace cmd;
    static const std::vector<PlaylistMenuItem> add = {
        {"파일 추가...", Open}, {"폴더 추가...", OpenFolder}, {"주소 추가...", ListAddUrl}};
    static const std::vector<PlaylistMenuItem> del = {{"파일 삭제", ListDelFile}, {"전체 삭제", ListDelAll}};
    static const std::vector<PlaylistMenuItem> list = {{"재생 목록 열기...", ListLoad},
                                                       {"재생 목록 저장...", ListSave}};
    static const std::vector<PlaylistMenuItem> context = {
        {"선택 항목 재생", PlayListSelect}, {"파일 추가...", Open},         {"폴더 추가...", OpenFolderPlay},
        {"주소 추가...", ListAddUrl},       {"선택 항목 삭제", ListDelFile}, {"전체 항목 삭제", ListDelAll},
        {"파일 정보 보기", ShowFileInfoMp3}};
    static const std::vector<PlaylistMenuItem> none;
    if (name == "ADD") return add;
    if (name == "DEL") return del;
    if (name == "LIST") return list;
    if (name == "리스트 메뉴") return context;
    return none;
}

QMenu* BuildPlaylistMenu(std::string_view name, QWidget* owner, std::function<void(int)> send) {
    auto* menu = new QMenu(owner);
    menu->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    for (const PlaylistMenuItem& item : PlaylistMenuItems(name)) {
        const int command = item.command;
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setData(command);
        QObject::connect(action, &QAction::triggered, menu, [send, command] {
            if (send) send(command);
        });
    }
    return menu;
}

const std::vector<PlaylistAccelerator>& PlaylistAccelerators() {
    using namespace cmd;
    static const std::vector<PlaylistAccelerator> table = {
        {QKeySequence(Qt::Key_Return), PlayListSelect},
        {QKeySequence(Qt::Key_Enter), PlayListSelect},
        {QKeySequence(Qt::Key_Insert), Open},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), OpenFolder},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ListAddUrl},
        {QKeySequence(Qt::Key_Delete), ListDelFile},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), ListDelAll},
        {QKeySequence(Qt::CTRL | Qt::Key_L), ListLoad},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ListSave},
        {QKeySequence(Qt::CTRL | Qt::Key_O), OpenTotal},
        {QKeySequence(Qt::SHIFT | Qt::Key_O), OpenFolderPlay},
        {QKeySequence(Qt::ALT | Qt::Key_O), OpenUrl},
        {QKeySequence(Qt::Key_X), Play},
        {QKeySequence(Qt::Key_V), Stop},
        {QKeySequence(Qt::Key_Z), Back},
        {QKeySequence(Qt::Key_B), Next},
        {QKeySequence(Qt::Key_Left), TenSecBack},
        {QKeySequence(Qt::Key_Right), TenSecNext},
        {QKeySequence(Qt::Key_F4), Setting},
        {QKeySequence(Qt::CTRL | Qt::Key_T), kAccelToggleTop},
        {QKeySequence(Qt::ALT | Qt::Key_3), ShowFileInfoMp3},
        {QKeySequence(Qt::ALT | Qt::Key_F4), Exit},
        // In the table, but nothing happens here.
        {QKeySequence(Qt::CTRL | Qt::Key_A), kAccelNothing},
        {QKeySequence(Qt::CTRL | Qt::Key_E), kAccelNothing},
        {QKeySequence(Qt::CTRL | Qt::Key_G), kAccelNothing},
        {QKeySequence(Qt::Key_Escape), kAccelNothing},
    };
    return table;
}

}  // namespace tavora
