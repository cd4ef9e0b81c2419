// The controller's own commands: exit, z-order, the information window,
// bringing windows to the front, the home page. Subsystems register the rest when they
// are created.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "Commands.h"
#include "PlayerWindowSet.h"
#include "Messages.h"
#include "ProgramInfoWindow.h"
#include "StoredValues.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

namespace {
// The product's home page; a "HomePage" string under the root overrides it.
const char* const kHomePage = "https://tavoraplayer.example.org/";

void SetTopmost(QWidget* w, bool topmost) {
    if (!w) return;
    const bool visible = w->isVisible();
    const Qt::WindowFlags flags = w->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) w->show();  // changing the flags hides the window
}
}  // namespace

void CTavoraPlayerDlg::RegisterBuiltinCommands() {
    using namespace cmd;
    auto nothing = [] {};
    RegisterCommand(Repeat, nothing);
    RegisterCommand(OutFileCreate, nothing);
    RegisterCommand(InsertItem, nothing);
    RegisterCommand(Exit, [this] { OnClose(); });
    RegisterCommand(HandOffArgument, [this](const CommandData& d) {
        if (d.value) OnOutFileLoad(*d.value);
    });
    RegisterCommand(AlwaysTop, [this] { ApplyAlwaysTop(); });
    RegisterCommand(SetAlwaysTop, [this](const CommandData& d) {
        if (!d.value) return;
        state_.alwaysTop = *d.value != 0 ? 1 : 0;
        settings_.Set(&PlayerSettings::alwaysTop, state_.alwaysTop);
        ApplyAlwaysTop();
    });
    RegisterCommand(InfoProgram, [this] { ShowProgramInfo(); });
    RegisterCommand(Minimize, [this] { showMinimized(); });
    RegisterCommand(ShowList, [this] {
        state_.listShown = !state_.listShown;
        if (playlistWindow()) playlistWindow()->setVisible(state_.listShown);
        if (mainWindow()) mainWindow()->update();
    });
    RegisterCommand(ListClose, [this] {
        state_.listShown = 0;
        if (playlistWindow()) playlistWindow()->hide();
        if (mainWindow()) mainWindow()->update();
    });
    RegisterCommand(InvalidateMain, [this] {
        if (mainWindow()) mainWindow()->update();
    });
    RegisterCommand(SetForeGround, [this] {
        QWidget* active = QApplication::activeWindow();
        if (active && (active == mainWindow() || active == equalizerWindow())) BringToFrontIfOurs(mainWindow());
    });
    RegisterCommand(SetForeGroundMain, [this] { BringToFrontIfOurs(mainWindow()); });
    RegisterCommand(SetForeGroundList, [this] { BringToFrontIfOurs(playlistWindow()); });
    RegisterCommand(SetForeGroundEqualizer, [this] { BringToFrontIfOurs(equalizerWindow()); });
    RegisterCommand(HomePage, [] {
        const std::string address = stored::ReadHomePage(kHomePage);
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(address.c_str())));
    });
}

void CTavoraPlayerDlg::ApplyAlwaysTop() {
    if (state_.alwaysTop) {
        SetTopmost(mainWindow(), true);
        if (playlistWindow()) {
            SetTopmost(playlistWindow(), true);
            playlistWindow()->setVisible(state_.listShown);
        }
        if (equalizerWindow()) {
            SetTopmost(equalizerWindow(), true);
            equalizerWindow()->setVisible(state_.equalizerShown);
        }
    } else {
        // The equaliser window keeps whatever it had.
        SetTopmost(mainWindow(), false);
        SetTopmost(playlistWindow(), false);
    }
}

void CTavoraPlayerDlg::BringToFrontIfOurs(QWidget* target) {
    QWidget* active = QApplication::activeWindow();
    const bool oursInFront = windows_->Contains(active);
    if (!oursInFront || !target) return;
    target->raise();
    target->activateWindow();
}

void CTavoraPlayerDlg::ShowProgramInfo() {
    if (!infoWindow_) infoWindow_ = new ProgramInfoWindow(this);
    infoWindow_->show();
    infoWindow_->raise();
}

}  // namespace tavora
