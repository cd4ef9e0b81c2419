#include "OptionsInstall.h"

#include <QPointer>

#include <memory>

#include "OptionsDialog.h"
#include "SoundPage.h"
#include "TavoraPlayerDlg.h"
#include "mixer/QueuedMixerNotification.h"
#include "mixer/SystemMixer.h"

namespace tavora {
namespace {

class ControllerOptionsHost : public OptionsHost {
public:
    ControllerOptionsHost(CTavoraPlayerDlg& dlg, std::string programPath)
        : dlg_(dlg), programPath_(std::move(programPath)) {}

    PlayerSettings Live() const override { return dlg_.settings(); }
    void SetLive(const PlayerSettings& s) override {
        dlg_.settings() = s;
        PlaybackState& state = dlg_.state();
        state.alwaysTop = s.alwaysTop;
        state.beginPlay = s.beginPlay;
        state.showTray = s.showTray;
        state.showTaskbar = s.showTaskbar;
        state.startOpen = s.startOpen;
        state.openFile = s.openFile;
        state.openFolder = s.openFolder;
        state.openUrl = s.openUrl;
        state.miniPlayer = s.miniPlayer;
        state.crossFade = s.crossFade;
        state.normalize = s.normalize;
    }
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
    std::function<MasterVolumeAccess()> masterVolume;
    std::unique_ptr<platform::SystemMixer> mixer;
    QPointer<OptionsDialog> dialog;
};

MasterVolumeAccess SystemMasterVolume(OptionsInstallation& in, CTavoraPlayerDlg& dlg) {
    if (!in.mixer) {
        in.mixer = std::make_unique<platform::SystemMixer>(
            platform::QueuedMixerNotification(&dlg, [&in] {
                if (in.dialog) in.dialog->soundPage()->FollowMasterVolume();
            }));
        in.mixer->Open();  // waits at most two seconds for a sound server
    }
    platform::SystemMixer* mixer = in.mixer.get();
    MasterVolumeAccess access;
    access.maximum = platform::SystemMixer::Maximum();
    access.read = [mixer]() -> std::optional<unsigned> {
        const platform::MasterVolumeState s = mixer->Read();
        if (!s.open) return std::nullopt;
        return s.volume;
    };
    access.write = [mixer](unsigned value) { mixer->SetVolume(value); };
    return access;
}

}  // namespace

void InstallOptionsDialog(CTavoraPlayerDlg& dlg, std::string programPath,
                          std::function<MasterVolumeAccess()> masterVolume) {
    auto in = std::make_shared<OptionsInstallation>();
    in->host = std::make_unique<ControllerOptionsHost>(dlg, std::move(programPath));
    in->masterVolume = std::move(masterVolume);
    dlg.RegisterCommand(cmd::Setting, [&dlg, in] {
        if (in->dialog) {
            in->dialog->raise();
            in->dialog->activateWindow();
            return;
        }
        MasterVolumeAccess volume = in->masterVolume ? in->masterVolume() : SystemMasterVolume(*in, dlg);
        auto* dialog = new OptionsDialog(*in->host, std::move(volume), &dlg);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // A dialog of its own on the taskbar, not a tool window of the hidden controller.
        dialog->setWindowFlag(Qt::Window);
        QObject::connect(dialog, &OptionsDialog::dspRequested, &dlg, [&dlg] { dlg.Send(cmd::ShowDspEffect); });
        in->dialog = dialog;
        dialog->setModal(true);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
    // The mixer's thread stops before the controller's windows go.
    dlg.AddShutdownStep(ShutdownPhase::StopPlayback, [in] {
        if (in->dialog) in->dialog->close();
        if (in->mixer) in->mixer->Close();
    });
}

OptionsDialog* OpenOptionsDialog(CTavoraPlayerDlg& dlg) { return dlg.findChild<OptionsDialog*>(); }

}  // namespace tavora
