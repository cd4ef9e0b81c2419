#include "PlayerWindowSet.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "PlaybackState.h"
#include "PlayerEvents.h"
#include "Settings.h"
#include "SkinBitmap.h"
#include "SkinSelection.h"
#include "StoredValues.h"

namespace tavora {

namespace {
void SetTopmost(QWidget* w, bool topmost) {
    if (!w) return;
    const bool visible = w->isVisible();
    const Qt::WindowFlags flags = w->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) w->show();  // changing the flags hides the window
}
}  // namespace

void PlayerWindowSet::RegisterCommands(CommandRegistry& registry) {
    using namespace cmd;
    auto window = [this](PlayerWindow which) { return Window(which); };
    registry.RegisterCommand(AlwaysTop, [this] { ApplyAlwaysTop(); });
    registry.RegisterCommand(SetAlwaysTop, [this](const CommandData& d) {
        if (!d.value) return;
        state_.alwaysTop = *d.value != 0 ? 1 : 0;
        settings_.Set(&PlayerSettings::alwaysTop, state_.alwaysTop);
        ApplyAlwaysTop();
    });
    registry.RegisterCommand(Minimize, [this] { owner_.showMinimized(); });
    registry.RegisterCommand(ShowList, [this, window] {
        state_.listShown = !state_.listShown;
        if (QWidget* list = window(PlayerWindow::Playlist)) list->setVisible(state_.listShown);
        if (QWidget* main = window(PlayerWindow::Main)) main->update();
    });
    registry.RegisterCommand(ListClose, [this, window] {
        state_.listShown = 0;
        if (QWidget* list = window(PlayerWindow::Playlist)) list->hide();
        if (QWidget* main = window(PlayerWindow::Main)) main->update();
    });
    registry.RegisterCommand(InvalidateMain, [window] {
        if (QWidget* main = window(PlayerWindow::Main)) main->update();
    });
    registry.RegisterCommand(SetForeGround, [this, window] {
        QWidget* active = QApplication::activeWindow();
        if (active && (active == window(PlayerWindow::Main) || active == window(PlayerWindow::Equalizer)))
            BringToFrontIfOurs(window(PlayerWindow::Main));
    });
    registry.RegisterCommand(SetForeGroundMain, [this, window] { BringToFrontIfOurs(window(PlayerWindow::Main)); });
    registry.RegisterCommand(SetForeGroundList, [this, window] { BringToFrontIfOurs(window(PlayerWindow::Playlist)); });
    registry.RegisterCommand(SetForeGroundEqualizer,
                             [this, window] { BringToFrontIfOurs(window(PlayerWindow::Equalizer)); });
    // The skin reload: every window takes the new skin's pictures, then the windows are
    // laid out again around the main window.
    registry.RegisterCommand(UpdateSkin, [this, window] {
        ReloadAllSkins();  // the main window takes its new size itself
        QWidget* mainWindow = window(PlayerWindow::Main);
        if (!mainWindow) return;
        const QRect main = mainWindow->frameGeometry();
        owner_.setGeometry(main.x(), main.y(), 1, 1);
        if (QWidget* list = window(PlayerWindow::Playlist)) {
            const bool shown = list->isVisible();
            list->setGeometry(main.x(), main.y() + main.height(), main.width(), 2 * main.height());
            list->setVisible(shown);
            list->update();
        }
        mainWindow->update();
    });
}

void PlayerWindowSet::PlaceAtStart() {
    const stored::WindowEdges edges = stored::ReadWindowEdges("Tavora.Size.");
    const int left = edges.left.value_or(-1);
    const int top = edges.top.value_or(-1);
    QPoint at;
    if (left < 0 || top < 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
        at = QPoint(area.x() + area.width() / 3, area.y() + area.height() / 3);
    } else {
        at = QPoint(left, top);
    }
    mainRect_ = QRect(at, QSize(0, 0));
    // The owner sits at the main window's top-left, one pixel high.
    owner_.setGeometry(at.x(), at.y(), 1, 1);
}

void PlayerWindowSet::FollowMainWindow(const QRect& rect) {
    mainRect_ = rect;
    // The owner sits at the main window's top-left; its own move drags the docked
    // windows along.
    if (QWidget* main = Window(PlayerWindow::Main); main && main->isVisible())
        owner_.setGeometry(QRect(rect.topLeft(), QSize(std::max(rect.width(), 1), 1)));
}

void PlayerWindowSet::OwnerMoved(bool following) {
    const QPoint now = owner_.pos();
    if (following && !lastPos_.isNull() && now != lastPos_) {
        const QPoint offset = now - lastPos_;
        // The docked playlist window follows.
        if (QWidget* list = Window(PlayerWindow::Playlist); list && events_.playlistDocked())
            list->move(list->pos() + offset);
    }
    lastPos_ = now;
}

void PlayerWindowSet::NoteOwnerPlace() { lastPos_ = owner_.pos(); }

void PlayerWindowSet::ApplyAlwaysTop() {
    QWidget* main = Window(PlayerWindow::Main);
    QWidget* list = Window(PlayerWindow::Playlist);
    QWidget* eq = Window(PlayerWindow::Equalizer);
    if (state_.alwaysTop) {
        SetTopmost(main, true);
        if (list) {
            SetTopmost(list, true);
            list->setVisible(state_.listShown);
        }
        if (eq) {
            SetTopmost(eq, true);
            eq->setVisible(state_.equalizerShown);
        }
    } else {
        // The equaliser window keeps whatever it had.
        SetTopmost(main, false);
        SetTopmost(list, false);
    }
    for (const OtherWindow& other : others_)
        if (other.window) SetTopmost(other.window, state_.alwaysTop != 0);
}

void PlayerWindowSet::BringToFrontIfOurs(QWidget* target) {
    if (!Contains(QApplication::activeWindow()) || !target) return;
    target->raise();
    target->activateWindow();
}

void PlayerWindowSet::AddWindow(PlayerWindow which, QWidget* window) { windows_[static_cast<size_t>(which)] = window; }

void PlayerWindowSet::AddOtherWindow(QWidget* window, std::function<bool()> meantToBeShown) {
    if (window) others_.push_back({window, std::move(meantToBeShown)});
}

void PlayerWindowSet::NoteShown(PlayerWindow which, bool shown) {
    switch (which) {
    case PlayerWindow::Main: break;  // always shown with the player
    case PlayerWindow::Playlist: state_.listShown = shown ? 1 : 0; break;
    case PlayerWindow::Equalizer: state_.equalizerShown = shown ? 1 : 0; break;
    }
}

void PlayerWindowSet::ChooseSkin(CommandSink& sink) {
    if (!CurrentSkinFile.empty()) return;
    ChooseStartupSkin([&sink](cmd::Command command) { sink.Post(command); });
}

void PlayerWindowSet::HideWindows() {
    for (QWidget* w : windows_)
        if (w) w->hide();
    for (const OtherWindow& other : others_)
        if (other.window) other.window->hide();
}

void PlayerWindowSet::ShowWindows() {
    if (QWidget* main = Window(PlayerWindow::Main)) main->show();
    if (QWidget* list = Window(PlayerWindow::Playlist); list && state_.listShown) list->show();
    if (QWidget* eq = Window(PlayerWindow::Equalizer); eq && state_.equalizerShown) eq->show();
    for (const OtherWindow& other : others_)
        if (other.window && other.meantToBeShown && other.meantToBeShown()) other.window->show();
}

void PlayerWindowSet::UpdateWindows() {
    for (QWidget* w : windows_)
        if (w) w->update();
    for (const OtherWindow& other : others_)
        if (other.window) other.window->update();
}

bool PlayerWindowSet::Contains(const QWidget* widget) const {
    if (!widget) return false;
    for (const QWidget* w : windows_)
        if (w == widget) return true;
    for (const OtherWindow& other : others_)
        if (other.window == widget) return true;
    return false;
}

}  // namespace tavora
