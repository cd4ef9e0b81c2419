#include "MasterVolume.h"

#include <QWidget>

#include "Commands.h"
#include "Messages.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "mixer/QueuedMixerNotification.h"
#include "mixer/SystemMixer.h"

namespace tavora {

MasterVolume::MasterVolume(PlayerEvents& events, QObject* parent) : QObject(parent), events_(events) {
    mixer_ = std::make_unique<platform::SystemMixer>(
        platform::QueuedMixerNotification(this, [this] { Announce(false); }));
}

MasterVolume::~MasterVolume() { Close(); }

bool MasterVolume::Open() {
    const bool open = mixer_->Open();
    Announce(true);
    return open;
}

void MasterVolume::Close() {
    if (mixer_) mixer_->Close();
}

bool MasterVolume::IsOpen() const { return mixer_->IsOpen(); }

unsigned MasterVolume::Value() const { return mixer_->Volume(); }

unsigned MasterVolume::Maximum() { return platform::SystemMixer::Maximum(); }

void MasterVolume::SetValue(unsigned value) {
    if (!mixer_->SetVolume(value)) return;
    // The other windows showing the level follow; the slider that sent it is still
    // held then and stays where it is.
    Announce(false);
}

void MasterVolume::Announce(bool always) {
    const platform::MasterVolumeState state = mixer_->Read();
    if (!always && announced_ && state.open == lastOpen_ && state.volume == lastValue_) return;
    announced_ = true;
    lastOpen_ = state.open;
    lastValue_ = state.volume;
    emit events_.masterVolumeChanged(state.volume, Maximum(), state.open);
}

MasterVolume* OpenMasterVolume(PlayerContext& context) {
    auto* master = new MasterVolume(context.events, context.windows.Owner());
    context.handlers.RegisterCommand(cmd::VolumeSetting, [master](const CommandData& d) {
        if (!d.value || *d.value < 0) return;
        master->SetValue(static_cast<unsigned>(*d.value));
    });
    context.timers.RegisterTimer(timer::kMasterVolume, [master] { master->Refresh(); });
    context.shutdown.AddShutdownStep(ShutdownPhase::FreeEngine, [master] { master->Close(); });
    master->Open();
    return master;
}

void master_volume::Install(PlayerContext& context) {
    context.startup.AddStartupStep(StartupStep::OpenMixer, [&context] { OpenMasterVolume(context); });
}

}  // namespace tavora
