#include "MasterVolume.h"

#include "Commands.h"
#include "Messages.h"
#include "PlayerEvents.h"
#include "TavoraPlayerDlg.h"
#include "mixer/QueuedMixerNotification.h"
#include "mixer/SystemMixer.h"

namespace tavora {

MasterVolume::MasterVolume(CTavoraPlayerDlg& dlg) : QObject(&dlg), dlg_(dlg) {
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
    emit dlg_.events().masterVolumeChanged(state.volume, Maximum(), state.open);
}

MasterVolume* OpenMasterVolume(CTavoraPlayerDlg& dlg) {
    auto* master = new MasterVolume(dlg);
    dlg.RegisterCommand(cmd::VolumeSetting, [master](const CommandData& d) {
        if (!d.value || *d.value < 0) return;
        master->SetValue(static_cast<unsigned>(*d.value));
    });
    dlg.RegisterTimer(timer::kMasterVolume, [master] { master->Refresh(); });
    dlg.AddShutdownStep(ShutdownPhase::FreeEngine, [master] { master->Close(); });
    master->Open();
    return master;
}

}  // namespace tavora
