// The controller's own commands: exit, z-order, rectangles, the information window,
// bringing windows to the front, the home page. Subsystems register the rest when they
// are created.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "Commands.h"
#include "ControllerHooks.h"
#include "ProgramInfoWindow.h"
#include "Registry.h"
#include "RegistryKeys.h"
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
    RegisterCommand(ToggleAlwaysTop, [this] {
        state_.alwaysTop = !state_.alwaysTop;
        WriteRegDword(keys::kControl, "AlwaysTop", state_.alwaysTop);
        ApplyAlwaysTop();
    });
    RegisterCommand(GetRectMainDlg, [this] {
        if (mainWindow_) mainRect_ = mainWindow_->frameGeometry();
    });
    RegisterCommand(GetRect, [this] {
        if (equalizerWindow_) equalizerRect_ = equalizerWindow_->frameGeometry();
    });
    RegisterCommand(InfoProgram, [this] { ShowProgramInfo(); });
    RegisterCommand(Minimize, [this] { showMinimized(); });
    RegisterCommand(ShowList, [this] {
        state_.listShown = !state_.listShown;
        if (playlistWindow_) playlistWindow_->setVisible(state_.listShown);
        if (mainWindow_) mainWindow_->update();
    });
    RegisterCommand(ListClose, [this] {
        state_.listShown = 0;
        if (playlistWindow_) playlistWindow_->hide();
        if (mainWindow_) mainWindow_->update();
    });
    RegisterCommand(InvalidateMain, [this] {
        if (mainWindow_) mainWindow_->update();
    });
    RegisterCommand(SetForeGround, [this] {
        QWidget* active = QApplication::activeWindow();
        if (active && (active == mainWindow_ || active == equalizerWindow_)) BringToFrontIfOurs(mainWindow_);
    });
    RegisterCommand(SetForeGroundMain, [this] { BringToFrontIfOurs(mainWindow_); });
    RegisterCommand(SetForeGroundList, [this] { BringToFrontIfOurs(playlistWindow_); });
    RegisterCommand(SetForeGroundEqualizer, [this] { BringToFrontIfOurs(equalizerWindow_); });
    RegisterCommand(HomePage, [] {
        const std::string address = ReadRegStringOr(keys::kRoot, "HomePage", kHomePage);
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(address.c_str())));
    });
}

void CTavoraPlayerDlg::ApplyAlwaysTop() {
    if (state_.alwaysTop) {
        SetTopmost(mainWindow_, true);
        if (playlistWindow_) {
            SetTopmost(playlistWindow_, true);
            playlistWindow_->setVisible(state_.listShown);
        }
        if (equalizerWindow_) {
            SetTopmost(equalizerWindow_, true);
            equalizerWindow_->setVisible(state_.equalizerShown);
        }
    } else {
        // The equaliser window keeps whatever it had.
        SetTopmost(mainWindow_, false);
        SetTopmost(playlistWindow_, false);
    }
}

void CTavoraPlayerDlg::BringToFrontIfOurs(QWidget* target) {
    QWidget* active = QApplication::activeWindow();
    const bool oursInFront =
        active && (active == mainWindow_ || active == playlistWindow_ || active == equalizerWindow_);
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
