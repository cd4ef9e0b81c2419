#include "FileTypesPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "PageParts.h"

namespace tavora {
namespace {

struct Row {
    const char* extension;
    const char* description;
    int PlayerSettings::*flag;
};

// In the order the page lists them (not the order they are registered in).
constexpr Row kRows[] = {
    {" mp3", " MPEG Audio Stream Layer - 3", &PlayerSettings::connectMp3},
    {" wma", " Microsoft Windows Media Audio File", &PlayerSettings::connectWma},
    {" ogg", " Vorbis Audio Codec", &PlayerSettings::connectOgg},
    {" wav", " Microsoft Windows RIFF WAVE File", &PlayerSettings::connectWav},
    {" cda", " Audio CD File", &PlayerSettings::connectCda},
    {" pls", " PLS Playlist File", &PlayerSettings::connectPls},
    {" m3u", " M3U Playlist File", &PlayerSettings::connectM3u},
};
constexpr int kRowCount = static_cast<int>(std::size(kRows));

}  // namespace

FileTypesPage::FileTypesPage(PlayerSettings& copy, QWidget* parent) : QWidget(parent), copy_(copy) {
    auto* layout = new QVBoxLayout(this);
    AddPageTitle(layout, QStringLiteral("연결파일"));

    auto* typesBox = new QGroupBox(QStringLiteral("연결파일 설정"));
    auto* typesLayout = new QVBoxLayout(typesBox);
    list_ = new QTreeWidget;
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("확장자"), QStringLiteral("설명")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionsMovable(false);
    list_->header()->resizeSection(0, 70);
    list_->header()->resizeSection(1, 250);
    for (const Row& row : kRows) {
        auto* item = new QTreeWidgetItem({QString::fromUtf8(row.extension), QString::fromUtf8(row.description)});
        // The mark is switched by the page, so a click anywhere on the row switches it once.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(0, Qt::Unchecked);
        list_->addTopLevelItem(item);
    }
    list_->installEventFilter(this);
    typesLayout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(QStringLiteral("전체 선택"));
    auto* none = new QPushButton(QStringLiteral("전체 해제"));
    buttons->addStretch();
    buttons->addWidget(all);
    buttons->addWidget(none);
    typesLayout->addLayout(buttons);
    layout->addWidget(typesBox);

    auto* cddbBox = new QGroupBox(QStringLiteral("Free CDDB 서버 연결"));
    auto* cddbLayout = new QVBoxLayout(cddbBox);
    // Offered as it always was; no setting stands behind it.
    cddbLayout->addWidget(new QCheckBox(QStringLiteral("Audio CD 삽입시 서버에서 CD 재생 목록을 얻어옵니다.")));
    layout->addWidget(cddbBox);

    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { ToggleRow(list_->indexOfTopLevelItem(item)); });
    connect(all, &QPushButton::clicked, this, [this] { SetAll(1); });
    connect(none, &QPushButton::clicked, this, [this] { SetAll(0); });
}

void FileTypesPage::Load() {
    for (int i = 0; i < kRowCount; ++i)
        list_->topLevelItem(i)->setCheckState(0, copy_.*kRows[i].flag ? Qt::Checked : Qt::Unchecked);
}

void FileTypesPage::ToggleRow(int row) {
    if (row < 0 || row >= kRowCount) return;
    int& flag = copy_.*kRows[row].flag;
    flag = flag ? 0 : 1;
    list_->topLevelItem(row)->setCheckState(0, flag ? Qt::Checked : Qt::Unchecked);
}

void FileTypesPage::SetAll(int on) {
    for (const Row& row : kRows) copy_.*row.flag = on;
    Load();
}

bool FileTypesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        ToggleRow(list_->indexOfTopLevelItem(list_->currentItem()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tavora
