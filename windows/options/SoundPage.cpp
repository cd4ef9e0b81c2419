#include "SoundPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "PageParts.h"

namespace tavora {

SoundPage::SoundPage(PlayerSettings& copy, MasterVolumeAccess volume, QWidget* parent)
    : QWidget(parent), copy_(copy), volume_(std::move(volume)) {
    auto* layout = new QVBoxLayout(this);
    AddPageTitle(layout, QStringLiteral("소리효과"));

    auto* volumeBox = new QGroupBox(QStringLiteral("마스터 볼륨 조절"));
    auto* volumeLayout = new QVBoxLayout(volumeBox);
    volumeLayout->addWidget(new QLabel(QStringLiteral("컴퓨터 전체 볼륨 조절")));
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(QStringLiteral("MIN")));
    slider_ = new QSlider(Qt::Horizontal);
    const int maximum = static_cast<int>(std::min<unsigned>(volume_.maximum, 0x7fffffff));
    slider_->setRange(0, maximum);
    slider_->setPageStep(std::max(1, maximum / 100));
    slider_->setSingleStep(std::max(1, maximum / 100));
    sliderRow->addWidget(slider_, 1);
    sliderRow->addWidget(new QLabel(QStringLiteral("MAX")));
    volumeLayout->addLayout(sliderRow);
    layout->addWidget(volumeBox);

    crossFade_ = new QCheckBox(QStringLiteral("크로스 페이드 사용 (곡 전환을 자연스럽게 해줍니다.)"));
    normalize_ = new QCheckBox(QStringLiteral("노멀라이즈 사용 (볼륨을 일정한 크기로 변환)"));
    layout->addWidget(crossFade_);
    layout->addWidget(normalize_);

    auto* dspRow = new QHBoxLayout;
    dsp_ = new QPushButton(QStringLiteral("DSP 효과 설정"));
    dspRow->addWidget(dsp_);
    dspRow->addWidget(new QLabel(QStringLiteral("- 음원의 재생속도, 키, 재생방향등을 설정합니다.")), 1);
    layout->addLayout(dspRow);
    layout->addStretch();

    connect(crossFade_, &QCheckBox::toggled, this, [this](bool on) { copy_.crossFade = on ? 1 : 0; });
    connect(normalize_, &QCheckBox::toggled, this, [this](bool on) { copy_.normalize = on ? 1 : 0; });
    // Every movement reaches the desktop's volume at once, not only on OK.
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (!following_ && volume_.write) volume_.write(static_cast<unsigned>(std::max(0, value)));
    });
    connect(dsp_, &QPushButton::clicked, this, &SoundPage::dspRequested);
}

void SoundPage::Load() {
    crossFade_->setChecked(copy_.crossFade);
    normalize_->setChecked(copy_.normalize);
    FollowMasterVolume();
}

void SoundPage::FollowMasterVolume() {
    const std::optional<unsigned> value = volume_.read ? volume_.read() : std::nullopt;
    slider_->setEnabled(value.has_value());
    if (!value) return;
    // Setting the slider from the mixer must not write the value back.
    following_ = true;
    slider_->setValue(static_cast<int>(std::min<unsigned>(*value, static_cast<unsigned>(slider_->maximum()))));
    following_ = false;
}

}  // namespace tavora
