#include "DspEffectDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "EffectRules.h"
#include "EffectsControl.h"

namespace tavora {

DspEffectDialog::DspEffectDialog(EffectsControl& effects, QWidget* parent) : QDialog(parent), effects_(effects) {
    setWindowTitle(QStringLiteral("DSP 효과"));
    setModal(false);
    resize(300, 290);
    auto* grid = new QGridLayout;
    static const char* const kNames[3] = {"Tempo (재생속도 조절)", "Pitch (키 조절)", "Speed (재생속도와 키 조절)"};
    for (int i = 0; i < 3; ++i) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(DspValues::kMin, DspValues::kMax);
        slider->setPageStep(1);
        slider->setValue(0);
        sliders_[i] = slider;
        labels_[i] = new QLabel(this);
        labels_[i]->setMinimumWidth(40);
        grid->addWidget(new QLabel(QString::fromUtf8(kNames[i]), this), i * 2, 0, 1, 2);
        grid->addWidget(slider, i * 2 + 1, 0);
        grid->addWidget(labels_[i], i * 2 + 1, 1);
        connect(slider, &QSlider::valueChanged, this, &DspEffectDialog::TrackbarMoved);
    }
    reverse_ = new QCheckBox(QStringLiteral("Reverse (역재생)"), this);
    connect(reverse_, &QCheckBox::clicked, this, [this] {
        effects_.ToggleReverse();
        reverse_->setChecked(effects_.ReverseMode());
    });
    auto* defaults = new QPushButton(QStringLiteral("기본값"), this);
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    connect(defaults, &QPushButton::clicked, this, &DspEffectDialog::ResetToDefaults);
    connect(ok, &QPushButton::clicked, this, &DspEffectDialog::Confirm);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(defaults);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(reverse_);
    layout->addStretch();
    layout->addLayout(buttons);
    UpdateLabels();
}

void DspEffectDialog::UpdateLabels() {
    for (int i = 0; i < 3; ++i) labels_[i]->setText(QString::fromStdString(DspValueLabel(sliders_[i]->value())));
}

void DspEffectDialog::TrackbarMoved() {
    UpdateLabels();
    effects_.SetDspValues(tempo()->value(), pitch()->value(), speed()->value());
}

void DspEffectDialog::SetTrackbarsToZero() {
    for (QSlider* slider : sliders_) {
        const QSignalBlocker quiet(slider);
        slider->setValue(0);
    }
    UpdateLabels();
}

void DspEffectDialog::ResetToDefaults() {
    SetTrackbarsToZero();
    effects_.ResetDsp();
    reverse_->setChecked(false);
}

void DspEffectDialog::Confirm() {
    close();
}

void DspEffectDialog::showEvent(QShowEvent* event) {
    effects_.SetDspOpen(true);
    reverse_->setChecked(effects_.ReverseMode());
    QDialog::showEvent(event);
}

void DspEffectDialog::done(int result) {
    // Every way of closing ends the effects as "확인" does: Escape and the title bar
    // come here too (through reject). Tempo and pitch never outlast the open dialog.
    if (isVisible()) {
        SetTrackbarsToZero();
        effects_.CloseDsp();
        reverse_->setChecked(false);
    }
    QDialog::done(result);
}

DspEffectDialog* ShowDspEffectDialog(QWidget* owner, EffectsControl& effects) {
    auto* dialog = owner ? owner->findChild<DspEffectDialog*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!dialog) {
        dialog = new DspEffectDialog(effects, owner);
        dialog->setWindowFlag(Qt::Window);
        if (const QScreen* screen = dialog->screen()) {
            const QRect area = screen->geometry();
            dialog->setGeometry(area.x() + area.width() / 3, area.y() + area.height() / 3, 300, 290);
        }
    }
    dialog->show();
    dialog->raise();
    return dialog;
}

}  // namespace tavora
