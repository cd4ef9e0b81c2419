#include "OptionsInstall.h"

#include <QPointer>

#include <algorithm>
#include <memory>

#include "MasterVolume.h"
#include "OptionsDialog.h"
#include "PlayerEvents.h"
#include "SoundPage.h"
#include "TavoraPlayerDlg.h"

namespace tavora {
namespace {

class ControllerOptionsHost : public OptionsHost {
public:
    ControllerOptionsHost(CTavoraPlayerDlg& dlg, std::string programPath)
        : dlg_(dlg), programPath_(std::move(programPath)) {}

    PlayerSettings Live() const override { return dlg_.settings().Values(); }
    // The player follows the owner's change signal.
    void SetLive(const PlayerSettings& s) override { dlg_.settings().Change(s); }
    CommandSink& Sink() override { return dlg_; }
    bool IsPlaying() const override { return dlg_.state().isPlaying != 0; }
    bool ReverseMode() const override { return dlg_.state().reverseMode != 0; }
    void SetReverseMode(bool on) override { dlg_.state().reverseMode = on ? 1 : 0; }
    std::string ProgramPath() const override { return programPath_; }

private:
    CTavoraPlayerDlg& dlg_;
    std::string programPath_;
};

struct OptionsInstallation {
    std::unique_ptr<ControllerOptionsHost> host;
    QPointer<OptionsDialog> dialog;
};

// The controller's master volume (none when the player has no mixer): read from it,
// written with VolumeSetting as the equaliser's master slider does.
MasterVolumeAccess ControllerMasterVolume(CTavoraPlayerDlg& dlg) {
    MasterVolumeAccess access;
    access.maximum = MasterVolume::Maximum();
    access.read = [&dlg]() -> std::optional<unsigned> {
        const auto* master = dlg.findChild<MasterVolume*>(QString(), Qt::FindDirectChildrenOnly);
        if (!master || !master->IsOpen()) return std::nullopt;
        return master->Value();
    };
    access.write = [&dlg](unsigned value) {
        dlg.Send(cmd::VolumeSetting, CommandData::Value(static_cast<int>(std::min(value, MasterVolume::Maximum()))));
    };
    return access;
}

}  // namespace

void InstallOptionsDialog(CTavoraPlayerDlg& dlg, std::string programPath) {
    auto in = std::make_shared<OptionsInstallation>();
    in->host = std::make_unique<ControllerOptionsHost>(dlg, std::move(programPath));
    dlg.RegisterCommand(cmd::Setting, [&dlg, in] {
        if (in->dialog) {
            in->dialog->raise();
            in->dialog->activateWindow();
            return;
        }
        auto* dialog = new OptionsDialog(*in->host, ControllerMasterVolume(dlg), &dlg);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // A dialog of its own on the taskbar, not a tool window of the hidden controller.
        dialog->setWindowFlag(Qt::Window);
        QObject::connect(dialog, &OptionsDialog::dspRequested, &dlg, [&dlg] { dlg.Send(cmd::ShowDspEffect); });
        // Changes made elsewhere (or by the equaliser's slider) move the page's slider.
        QObject::connect(&dlg.events(), &PlayerEvents::masterVolumeChanged, dialog,
                         [dialog] { dialog->soundPage()->FollowMasterVolume(); });
        in->dialog = dialog;
        dialog->setModal(true);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
    dlg.AddShutdownStep(ShutdownPhase::StopPlayback, [in] {
        if (in->dialog) in->dialog->close();
    });
}

OptionsDialog* OpenOptionsDialog(CTavoraPlayerDlg& dlg) { return dlg.findChild<OptionsDialog*>(); }

}  // namespace tavora
