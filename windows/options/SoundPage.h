#pragma once
// The sound effects page: the system master volume (moved at once, and following
// changes made elsewhere), cross-fade, normalisation, and the button that opens the
// DSP effect window.

#include <QWidget>

#include "OptionsHost.h"
#include "PlayerSettings.h"

class QCheckBox;
class QPushButton;
class QSlider;

namespace tavora {

class SoundPage : public QWidget {
    Q_OBJECT
public:
    SoundPage(PlayerSettings& copy, MasterVolumeAccess volume, QWidget* parent = nullptr);
    void Load();
    // The master volume changed outside the dialog: the slider follows it.
    void FollowMasterVolume();

    QSlider* volumeSlider() const { return slider_; }
    QPushButton* dspButton() const { return dsp_; }

signals:
    void dspRequested();

private:
    PlayerSettings& copy_;
    MasterVolumeAccess volume_;
    QSlider* slider_;
    QCheckBox* crossFade_;
    QCheckBox* normalize_;
    QPushButton* dsp_;
    bool following_ = false;
};

}  // namespace tavora
