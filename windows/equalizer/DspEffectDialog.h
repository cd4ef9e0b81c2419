#pragma once
// The DSP effect dialog ("DSP 효과"): three trackbars, Tempo, Pitch and Speed, each
// -15..+15 with its "%d%%" label, the "Reverse (역재생)" box, "기본값" and "확인".
// Tempo and pitch act only while the dialog is open: "확인", Escape or closing the
// window puts them back to normal and turns reverse play off. Nothing of it is stored.
//
// GUI thread only.

#include <QDialog>

class QCheckBox;
class QLabel;
class QSlider;

namespace tavora {

class EffectsControl;

class DspEffectDialog : public QDialog {
    Q_OBJECT
public:
    explicit DspEffectDialog(EffectsControl& effects, QWidget* parent = nullptr);

    QSlider* tempo() const { return sliders_[0]; }
    QSlider* pitch() const { return sliders_[1]; }
    QSlider* speed() const { return sliders_[2]; }
    QLabel* label(int index) const { return labels_[index]; }
    QCheckBox* reverse() const { return reverse_; }

    // "기본값" and "확인".
    void ResetToDefaults();
    void Confirm();
    // "확인", Escape and the title bar all end here.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TrackbarMoved();
    void SetTrackbarsToZero();
    void UpdateLabels();

    EffectsControl& effects_;
    QSlider* sliders_[3] = {};
    QLabel* labels_[3] = {};
    QCheckBox* reverse_ = nullptr;
};

// Shows the owner's dialog, creating it the first time: modeless, 300 x 290 pixels at a
// third of the screen's width and height (what the options page's "DSP 효과 설정" does).
DspEffectDialog* ShowDspEffectDialog(QWidget* owner, EffectsControl& effects);

}  // namespace tavora
