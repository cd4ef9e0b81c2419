#pragma once
// The player's side of the system master volume, the player's one connection to
// the sound server's mixer: it opens it at start-up, writes the level the equaliser
// window's master slider or the options' sound page sends with VolumeSetting, and
// tells the windows of every change, whether made here or by another program, with
// PlayerEvents::masterVolumeChanged.
// The read-back timer of a playing stream (timer 4) re-reads the mixer too, so the
// slider is right even if a change notification were lost.
//
// No sound server: the mixer reads as closed, VolumeSetting does nothing and the
// windows are told nothing; opening waits about two seconds at most.
//
// UI thread only.

#include <QObject>

#include <memory>

namespace tavora {

class PlayerEvents;
struct PlayerContext;
namespace platform {
class SystemMixer;
}

class MasterVolume : public QObject {
    Q_OBJECT
public:
    MasterVolume(PlayerEvents& events, QObject* parent);
    ~MasterVolume() override;

    // Opens the mixer and announces the first reading (false: no server answered).
    bool Open();
    void Close();
    bool IsOpen() const;
    unsigned Value() const;
    // The largest level (the sound server's 100 %).
    static unsigned Maximum();
    // Writes a level 0..Maximum() (VolumeSetting) and announces it; nothing while closed.
    void SetValue(unsigned value);
    // Re-reads the mixer and announces a change (timer 4).
    void Refresh() { Announce(false); }

private:
    void Announce(bool always);

    PlayerEvents& events_;
    std::unique_ptr<platform::SystemMixer> mixer_;
    bool announced_ = false;
    unsigned lastValue_ = 0;
    bool lastOpen_ = false;
};

// Makes the player's master volume (a child of the window set's owner), joins it to
// VolumeSetting, the read-back timer and the shutdown, and opens it.
MasterVolume* OpenMasterVolume(PlayerContext& context);

namespace master_volume {
// Opens the master volume at the start's mixer step.
void Install(PlayerContext& context);
}  // namespace master_volume

}  // namespace tavora
