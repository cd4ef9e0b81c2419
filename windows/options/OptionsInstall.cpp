#include "OptionsInstall.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <optional>

#include "EffectsControl.h"
#include "OptionsDialog.h"
#include "OptionsHost.h"
#include "PlaybackView.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "Settings.h"
#include "SoundPage.h"

namespace tavora::options {
namespace {

class ContextOptionsHost : public OptionsHost {
public:
    explicit ContextOptionsHost(PlayerContext& context) : context_(context) {}

    PlayerSettings Live() const override { return context_.settings.Live(); }
    void SetLive(const PlayerSettings& s) override { context_.settings.SetLive(s); }
    CommandSink& Sink() override { return context_.commands; }
    bool IsPlaying() const override { return context_.view.State().isPlaying != 0; }
    bool ReverseMode() const override { return context_.view.State().reverseMode != 0; }
    void SetReverseMode(bool on) override {
        context_.commands.Send(cmd::SetReverseFlag, CommandData::Value(on ? 1 : 0));
    }
    std::string ProgramPath() const override { return context_.programPath; }

private:
    PlayerContext& context_;
};

// The master volume as last announced (none while no mixer answered).
struct MasterReading {
    bool open = false;
    unsigned value = 0;
    unsigned maximum = 0;
};

struct OptionsInstallation {
    std::unique_ptr<ContextOptionsHost> host;
    QPointer<OptionsDialog> dialog;
    MasterReading master;
    bool announced = false;
};

// The player's master volume: read as announced, written with VolumeSetting as the
// equaliser's master slider does.
MasterVolumeAccess MasterVolumeOf(PlayerContext& context, const std::shared_ptr<OptionsInstallation>& in) {
    MasterVolumeAccess access;
    if (in->announced) access.maximum = in->master.maximum;
    access.read = [weak = std::weak_ptr<OptionsInstallation>(in)]() -> std::optional<unsigned> {
        const auto in = weak.lock();
        if (!in || !in->announced || !in->master.open) return std::nullopt;
        return in->master.value;
    };
    access.write = [&context, maximum = access.maximum](unsigned value) {
        context.commands.Send(cmd::VolumeSetting, CommandData::Value(static_cast<int>(std::min(value, maximum))));
    };
    return access;
}

}  // namespace

void Install(PlayerContext& context) {
    auto in = std::make_shared<OptionsInstallation>();
    in->host = std::make_unique<ContextOptionsHost>(context);
    QObject::connect(&context.events, &PlayerEvents::masterVolumeChanged, &context.events,
                     [in](unsigned value, unsigned maximum, bool open) {
                         in->announced = true;
                         in->master = {open, value, maximum};
                     });
    context.handlers.RegisterCommand(cmd::Setting, [&context, in] {
        if (in->dialog) {
            in->dialog->raise();
            in->dialog->activateWindow();
            return;
        }
        QWidget* owner = context.windows.Owner();
        auto* dialog = new OptionsDialog(*in->host, MasterVolumeOf(context, in), owner);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // A dialog of its own on the taskbar, not a tool window of the hidden owner.
        dialog->setWindowFlag(Qt::Window);
        QObject::connect(dialog, &OptionsDialog::dspRequested, owner,
                         [&context] { context.commands.Send(cmd::ShowDspEffect); });
        // Changes made elsewhere (or by the equaliser's slider) move the page's slider.
        QObject::connect(&context.events, &PlayerEvents::masterVolumeChanged, dialog,
                         [dialog] { dialog->soundPage()->FollowMasterVolume(); });
        in->dialog = dialog;
        dialog->setModal(true);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
    context.shutdown.AddShutdownStep(ShutdownPhase::StopPlayback, [in] {
        if (in->dialog) in->dialog->close();
    });
}

OptionsDialog* OpenDialog(QWidget* owner) { return owner ? owner->findChild<OptionsDialog*>() : nullptr; }

}  // namespace tavora::options
