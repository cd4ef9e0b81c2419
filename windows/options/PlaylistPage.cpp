#include "PlaylistPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "OptionSettings.h"
#include "PageParts.h"

namespace tavora {

PlaylistPage::PlaylistPage(PlayerSettings& copy, QWidget* parent) : QWidget(parent), copy_(copy) {
    auto* layout = new QVBoxLayout(this);
    AddPageTitle(layout, QStringLiteral("재생목록"));

    auto* formatBox = new QGroupBox(QStringLiteral("곡명 표시 설정"));
    auto* formatLayout = new QGridLayout(formatBox);
    auto* note = new QLabel(QStringLiteral("재생목록의 곡명 표시 형식을 수정하여 사용할 수 있습니다."));
    note->setWordWrap(true);
    formatLayout->addWidget(note, 0, 0, 1, 2);
    formats_ = new QButtonGroup(this);
    const QString names[] = {QStringLiteral("곡명 - 가수명"),      QStringLiteral("가수명 - 곡명"),
                             QStringLiteral("곡명 - 앨범명 - 가수명"), QStringLiteral("파일명 - 트랙"),
                             QStringLiteral("곡명 - 파일명"),      QStringLiteral("파일명")};
    for (int i = 0; i < 6; ++i) {
        auto* radio = new QRadioButton(names[i]);
        formats_->addButton(radio, i + 1);
        formatLayout->addWidget(radio, 1 + i / 2, i % 2);
    }
    layout->addWidget(formatBox);

    auto* versionBox = new QGroupBox(QStringLiteral("MP3 태그 버전 설정"));
    auto* versionLayout = new QVBoxLayout(versionBox);
    version_ = new QButtonGroup(this);
    auto* v1 = new QRadioButton(QStringLiteral("ID3 ver 1.x 태그 우선 사용"));
    auto* v2 = new QRadioButton(QStringLiteral("ID3 ver 2.x 태그 우선 사용"));
    version_->addButton(v1, 0);
    version_->addButton(v2, 1);
    versionLayout->addWidget(v1);
    versionLayout->addWidget(v2);
    layout->addWidget(versionBox);
    layout->addStretch();

    connect(formats_, &QButtonGroup::idClicked, this, [this](int format) {
        ChooseTitleFormat(copy_, format);
        Load();
    });
    connect(version_, &QButtonGroup::idClicked, this, [this](int id) { copy_.tagVersion = id; });
}

void PlaylistPage::Load() {
    CheckGroupButton(formats_, ChosenTitleFormat(copy_));
    CheckGroupButton(version_, copy_.tagVersion ? 1 : 0);
}

}  // namespace tavora
