// The playlist window: skin, frame painting, layout of the list and its bar, the
// buttons and their menus, the keys, placement and saving. Mouse handling for the
// grip, the frame and docking is in PlaylistWindowMouse.cpp.
#include "PlaylistWindow.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>

#include "CommandNumbers.h"
#include "Commands.h"
#include "PlaylistListCtrl.h"
#include "PlaylistMenus.h"
#include "PlaybackView.h"
#include "PlaylistScrollBar.h"
#include "SharedKeys.h"
#include "StoredValues.h"
#include "SkinBitmap.h"
#include "SkinReader.h"

namespace tavora {

namespace {
constexpr const char* kImages = "ListControl/ImageCollection";
constexpr const char* kButtons = "ListControl/ButtonCollection";
const char* const kGrounds[] = {
    "ID_LIST_ILEFTTOP",        "ID_LIST_IRIGHTTOP",         "ID_LIST_ITOPDOT",          "ID_LIST_IGROUNDCLOSE",
    "ID_LIST_IGROUNDINITIAL",  "ID_LIST_ILEFTCENTER",       "ID_LIST_IRIGHTCENTER",     "ID_LIST_ILEFTCENTERDOT",
    "ID_LIST_IRIGHTCENTERDOT", "ID_LIST_ILEFTBOTTOM",       "ID_LIST_IRIGHTBOTTOM",     "ID_LIST_IBOTTOMDOT",
    "ID_LIST_IGROUNDADD",      "ID_LIST_IGROUNDRESIZEING",  "ID_LIST_ILISTSCROLLTOP",   "ID_LIST_ILISTSCROLLBOTTOM",
    "ID_LIST_ILISTSCROLLDOT",  "ID_LIST_ILISTSCROLLSMALLDOT"};
const char* const kButtonIds[] = {"ID_LISTBTCLOSE", "ID_LISTBTADD", "ID_LISTBTDEL", "ID_LISTBTLIST"};
const char* const kButtonTips[] = {"닫기", "추가", "삭제", "리스트"};
const char* const kButtonMenus[] = {nullptr, "ADD", "DEL", "LIST"};
const QColor kListGrey(159, 159, 159);
}  // namespace

PlaylistWindow::PlaylistWindow(PlaylistModel& model, QWidget* owner)
    : SkinnedWindow(SkinWindowKind::Playlist, owner), model_(model) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(QIcon(QStringLiteral(":/res/icons/icon32.png")));
    for (int b = 0; b < 4; ++b) {
        const int button = b;
        buttons().Add(E(kButtonIds[b]), SkinHitRule::Placed, [this, button] {
            if (button == kClose) Send(cmd::ListClose);
            else OpenButtonMenu(button);
        });
    }
    list_ = new PlaylistListCtrl(model_, this);
    bar_ = new PlaylistScrollBar(this);
    list_->SetScrollBar(bar_);
    connect(list_, &PlaylistListCtrl::rowCountChanged, this, [this] {
        list_->LayoutColumns();
        UpdateScrollRange();
    });
    band_ = new QRubberBand(QRubberBand::Rectangle);
    for (int b = kAdd; b <= kList; ++b)
        menus_[b] = BuildPlaylistMenu(kButtonMenus[b], this, [this](int number) { SendNumber(number); });
    InstallAccelerators();
    LoadSkin();
    resize(std::max(minimum_.width(), 1), std::max(minimum_.height() * 2, 1));
    PlaceChildren(true);
}

PlaylistWindow::~PlaylistWindow() { delete band_; }

const SkinElement& PlaylistWindow::E(const char* id) const {
    static const SkinElement empty;
    const auto it = elements_.find(id);
    return it == elements_.end() ? empty : it->second;
}

void PlaylistWindow::SetCommandSink(CommandSink* sink) {
    send_ = sink;
    list_->SetCommandSink(send_);
}

void PlaylistWindow::Send(cmd::Command command) const {
    if (send_) send_->Send(command);
}

void PlaylistWindow::SetView(const PlaybackView* view) {
    view_ = view;
    list_->SetView(view);
}

void PlaylistWindow::SendNumber(int number) const {
    if (!send_) return;
    if (const auto c = cmd::FromNumber(number, view_ ? view_->State() : PlaybackState{})) send_->Send(c->command, c->data);
}

QMenu* PlaylistWindow::buttonMenu(int button) const {
    const auto it = menus_.find(button);
    return it == menus_.end() ? nullptr : it->second;
}

// --- Skin -------------------------------------------------------------------------

void PlaylistWindow::LoadSkin() {
    SkinReader reader;
    reader.Open(CurrentSkinFile);
    for (const char* id : kGrounds) {
        SkinElement& e = E(id);
        reader.ReadGround(kImages, id, e);
        LoadElementBitmaps(e);
    }
    SkinElement& thumb = E("ID_LISTBTSCROLL");
    reader.ReadButton(kButtons, "ID_LISTBTSCROLL", thumb, 1);
    LoadElementBitmaps(thumb);
    for (const char* id : kButtonIds) {
        SkinElement& e = E(id);
        reader.ReadButton(kButtons, id, e, 3);
        LoadElementBitmaps(e, true, true);
    }
    reader.ReadGroundRect("ListControl/ListPos", "ID_LIST_BOTTOM_POS", E("ID_LIST_BOTTOM_POS"));
    SkinElement mainPicture;
    if (reader.ReadGroundRect("MainControl/ImageCollection", "ID_PLAYER_IMAIN", mainPicture))
        minimum_ = QSize(std::max(mainPicture.Width, 0), std::max(mainPicture.Height, 0));
    bar_->SetPictures(thumb.defaultBitmap, E("ID_LIST_ILISTSCROLLSMALLDOT").defaultBitmap);
    if (list_) PlaceChildren(false);
}

// --- Layout -----------------------------------------------------------------------

QRect PlaylistWindow::listArea() const { return list_->geometry(); }

void PlaylistWindow::PlaceChildren(bool atCreation) {
    const int w = width(), h = height();
    const int left = E("ID_LIST_ILEFTCENTERDOT").Width;
    const int right = w - E("ID_LIST_IRIGHTCENTERDOT").Width - E("ID_LIST_ILISTSCROLLDOT").Width;
    const SkinElement& scrollTop = E("ID_LIST_ILISTSCROLLTOP");
    const SkinElement& scrollBottom = E("ID_LIST_ILISTSCROLLBOTTOM");
    const int top = atCreation ? E("ID_LIST_ILEFTTOP").rect.bottom : scrollTop.rect.bottom;
    const int bottom = atCreation ? h - E("ID_LIST_ILEFTBOTTOM").Height : h - scrollBottom.rect.top;
    list_->setGeometry(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    list_->LayoutColumns(true);
    const int barX = w - (atCreation ? E("ID_LIST_ILISTSCROLLDOT").rect.left : E("ID_LIST_ILISTSCROLLSMALLDOT").rect.left);
    const int barHeight = h - scrollBottom.rect.bottom - scrollTop.rect.top;
    bar_->setGeometry(barX, scrollTop.rect.bottom, PlaylistScrollBar::kWidth, std::max(barHeight, 0));
    UpdateScrollRange();
    update();
}

void PlaylistWindow::UpdateScrollRange() {
    bar_->SetRange(list_->rowsPerPage(), list_->rowCount());
    bar_->SetTopRow(list_->topRow());
}

void PlaylistWindow::resizeEvent(QResizeEvent* event) {
    SkinnedWindow::resizeEvent(event);
    if (list_) PlaceChildren(false);
}

// --- Painting ---------------------------------------------------------------------

void PlaylistWindow::ComposeElements(QPainter& painter) {
    const QRect client = rect();
    auto fill = [&](const char* id) { DrawEdgeFill(painter, client, E(id)); };
    fill("ID_LIST_ITOPDOT");
    for (const char* id : {"ID_LIST_ILEFTTOP", "ID_LIST_IRIGHTTOP", "ID_LIST_IGROUNDCLOSE", "ID_LIST_IGROUNDINITIAL"})
        Draw(painter, E(id));
    fill("ID_LIST_ILEFTCENTERDOT");
    fill("ID_LIST_IRIGHTCENTERDOT");
    fill("ID_LIST_IBOTTOMDOT");
    for (const char* id : {"ID_LIST_ILEFTBOTTOM", "ID_LIST_IRIGHTBOTTOM", "ID_LIST_IGROUNDADD",
                           "ID_LIST_IGROUNDRESIZEING", "ID_LIST_ILISTSCROLLBOTTOM"})
        Draw(painter, E(id));
    DrawButton(painter, E("ID_LISTBTCLOSE"), kClose);
    DrawButton(painter, E("ID_LISTBTLIST"), kList);
    DrawButton(painter, E("ID_LISTBTADD"), kAdd);
    DrawButton(painter, E("ID_LISTBTDEL"), kDel);
    for (const char* id :
         {"ID_LIST_ILEFTCENTER", "ID_LIST_IRIGHTCENTER", "ID_LIST_ILISTSCROLLTOP", "ID_LIST_ILISTSCROLLBOTTOM"})
        Draw(painter, E(id));
    fill("ID_LIST_ILISTSCROLLDOT");
    painter.fillRect(list_->geometry(), kListGrey);
}

// --- Buttons, menus and keys ------------------------------------------------------

void PlaylistWindow::OpenButtonMenu(int button) {
    QMenu* menu = buttonMenu(button);
    if (!menu) return;
    const SkinElement& e = E(kButtonIds[button]);
    // The menu's bottom edge sits at the window's bottom less the button's Y.
    const QPoint bottomLeft = mapToGlobal(QPoint(e.rect.left, height() - e.rect.top));
    menu->popup(QPoint(bottomLeft.x(), bottomLeft.y() - menu->sizeHint().height()));
}

void PlaylistWindow::InstallAccelerators() {
    for (const PlaylistAccelerator& accel : PlaylistAccelerators()) {
        auto* action = new QAction(this);
        action->setShortcut(accel.key);
        action->setShortcutContext(Qt::WindowShortcut);
        const int number = accel.number;
        connect(action, &QAction::triggered, this, [this, number] { SendNumber(number); });
        addAction(action);
    }
}

void PlaylistWindow::keyPressEvent(QKeyEvent* event) {
    // A Space that no accelerator took plays.
    if (!RunSharedKey(*event, send_)) SkinnedWindow::keyPressEvent(event);
}

bool PlaylistWindow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int b = buttons().HitTest(help->pos().x(), help->pos().y());
        if (b >= 0 && b < 4) {
            const SkinRect r = buttons().Rect(b);
            QToolTip::showText(help->globalPos(), QString::fromUtf8(kButtonTips[b]), this,
                               QRect(r.left, r.top, r.Width(), r.Height()));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return SkinnedWindow::event(event);
}

// --- Placement and saving ---------------------------------------------------------

void PlaylistWindow::PlaceAtStart(const QRect& mainWindowRect) {
    const stored::WindowEdges edges = stored::ReadWindowEdges("List.Size.");
    const int left = edges.left.value_or(0);
    const int right = edges.right.value_or(0);
    const int top = edges.top.value_or(0);
    const int bottom = edges.bottom.value_or(0);
    const bool saved = edges.left && edges.right && right >= 0 && edges.top && edges.bottom;
    if (saved && right > left && bottom > top) {
        setGeometry(left, top, right - left, bottom - top);
        return;
    }
    setGeometry(mainWindowRect.left(), mainWindowRect.top() + mainWindowRect.height(), std::max(minimum_.width(), 1),
                std::max(minimum_.height() * 2, 1));
}

void PlaylistWindow::SaveRect() const {
    const QRect r = frameGeometry();
    stored::WriteWindowEdges("List.Size.", r.left(), r.top(), r.width(), r.height());
}

}  // namespace tavora
