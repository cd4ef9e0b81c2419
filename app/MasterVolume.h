#pragma once
// The controller's side of the system master volume, the player's one connection to
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

class CTavoraPlayerDlg;
namespace platform {
class SystemMixer;
}

class MasterVolume : public QObject {
    Q_OBJECT
public:
    explicit MasterVolume(CTavoraPlayerDlg& dlg);
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

    CTavoraPlayerDlg& dlg_;
    std::unique_ptr<platform::SystemMixer> mixer_;
    bool announced_ = false;
    unsigned lastValue_ = 0;
    bool lastOpen_ = false;
};

// Makes the controller's master volume (a child of the controller) and opens it.
MasterVolume* OpenMasterVolume(CTavoraPlayerDlg& dlg);

}  // namespace tavora
