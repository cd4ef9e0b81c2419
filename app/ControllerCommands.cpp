// The controller's own commands: exit, the information window, the home page. The
// window set takes the commands on the windows; features register the rest.
#include <QDesktopServices>
#include <QUrl>

#include "CommandRouter.h"
#include "Commands.h"
#include "HandOffDispatch.h"
#include "Messages.h"
#include "PlayerWindowSet.h"
#include "ProgramInfoWindow.h"
#include "StoredValues.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

namespace {
// The product's home page; a "HomePage" string under the root overrides it.
const char* const kHomePage = "https://tavoraplayer.example.org/";
}  // namespace

void CTavoraPlayerDlg::RegisterBuiltinCommands() {
    using namespace cmd;
    auto nothing = [] {};
    RegisterCommand(Repeat, nothing);
    RegisterCommand(OutFileCreate, nothing);
    RegisterCommand(InsertItem, nothing);
    RegisterCommand(Exit, [this] { OnClose(); });
    RegisterCommand(HandOffArgument, [this](const CommandData& d) {
        if (d.value) handOffs_->Load(*d.value);
    });
    RegisterCommand(InfoProgram, [this] { ShowProgramInfo(); });
    RegisterCommand(HomePage, [] {
        const std::string address = stored::ReadHomePage(kHomePage);
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(address.c_str())));
    });
    windows_->RegisterCommands(*commands_);
}

void CTavoraPlayerDlg::ShowProgramInfo() {
    if (!infoWindow_) infoWindow_ = new ProgramInfoWindow(this);
    infoWindow_->show();
    infoWindow_->raise();
}

}  // namespace tavora
