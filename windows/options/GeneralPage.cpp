#include "GeneralPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "OptionSettings.h"
#include "PageParts.h"

namespace tavora {
namespace {

QCheckBox* AddCheck(QBoxLayout* layout, const QString& text, int PlayerSettings::*field, PlayerSettings& copy) {
    auto* box = new QCheckBox(text);
    layout->addWidget(box);
    if (field) QObject::connect(box, &QCheckBox::toggled, box, [&copy, field](bool on) { copy.*field = on ? 1 : 0; });
    return box;
}

// A group box of radio buttons; the buttons' ids are their positions.
QButtonGroup* AddRadioGroup(QBoxLayout* layout, const QString& title, std::initializer_list<QString> texts,
                            QWidget* owner) {
    auto* box = new QGroupBox(title);
    auto* inner = new QHBoxLayout(box);
    auto* group = new QButtonGroup(owner);
    int id = 0;
    for (const QString& text : texts) {
        auto* radio = new QRadioButton(text);
        inner->addWidget(radio);
        group->addButton(radio, id++);
    }
    inner->addStretch();
    layout->addWidget(box);
    return group;
}

}  // namespace

GeneralPage::GeneralPage(PlayerSettings& copy, QWidget* parent) : QWidget(parent), copy_(copy) {
    auto* layout = new QVBoxLayout(this);
    AddPageTitle(layout, QStringLiteral("일반설정"));
    alwaysTop_ = AddCheck(layout, QStringLiteral("항상 위에 표시"), &PlayerSettings::alwaysTop, copy_);
    beginPlay_ = AddCheck(layout, QStringLiteral("실행시 자동 재생"), &PlayerSettings::beginPlay, copy_);
    autoConnect_ = AddCheck(layout, QStringLiteral("실행시 자동 파일 연결"), &PlayerSettings::autoConnect, copy_);
    showMode_ = AddRadioGroup(layout, QStringLiteral("표시방법"),
                              {QStringLiteral("트레이에 표시 않음"), QStringLiteral("작업표시줄에 표시 않음"),
                               QStringLiteral("모두 표시")},
                              this);
    startOpen_ = AddRadioGroup(layout, QStringLiteral("탐색기에서 더블클릭시 설정"),
                               {QStringLiteral("파일열기"), QStringLiteral("파일추가")}, this);
    openAction_ = AddRadioGroup(layout, QStringLiteral("열기 버튼 기본 설정"),
                                {QStringLiteral("파일 열기"), QStringLiteral("폴더 열기"), QStringLiteral("URL 열기")},
                                this);
    miniPlayer_ = AddCheck(layout, QStringLiteral("타보라 미니 플레이어"), &PlayerSettings::miniPlayer, copy_);
    // Offered as it always was; no setting stands behind it.
    remote_ = AddCheck(layout, QStringLiteral("타보라 리모콘"), nullptr, copy_);
    layout->addStretch();

    connect(showMode_, &QButtonGroup::idClicked, this, [this](int id) {
        static constexpr ShowMode kModes[] = {ShowMode::NoTray, ShowMode::NoTaskbar, ShowMode::All};
        SetShowMode(copy_, kModes[id]);
    });
    connect(startOpen_, &QButtonGroup::idClicked, this, [this](int id) { copy_.startOpen = id == 0 ? 1 : 0; });
    connect(openAction_, &QButtonGroup::idClicked, this, [this](int id) {
        static constexpr OpenAction kActions[] = {OpenAction::File, OpenAction::Folder, OpenAction::Url};
        SetOpenAction(copy_, kActions[id]);
    });
}

void GeneralPage::Load() {
    alwaysTop_->setChecked(copy_.alwaysTop);
    beginPlay_->setChecked(copy_.beginPlay);
    autoConnect_->setChecked(copy_.autoConnect);
    miniPlayer_->setChecked(copy_.miniPlayer);
    switch (ShowModeOf(copy_)) {
    case ShowMode::NoTray: CheckGroupButton(showMode_, 0); break;
    case ShowMode::NoTaskbar: CheckGroupButton(showMode_, 1); break;
    case ShowMode::All: CheckGroupButton(showMode_, 2); break;
    }
    CheckGroupButton(startOpen_, copy_.startOpen ? 0 : 1);
    CheckGroupButton(openAction_, static_cast<int>(OpenActionOf(copy_)));
}

}  // namespace tavora
