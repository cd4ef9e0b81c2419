#include "OptionsDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "FileTypesPage.h"
#include "GeneralPage.h"
#include "OptionSettings.h"
#include "OptionsApply.h"
#include "PageIcons.h"
#include "PlaylistPage.h"
#include "SkinBitmap.h"
#include "SkinPage.h"
#include "SkinSelection.h"
#include "SoundPage.h"

namespace tavora {

OptionsDialog::OptionsDialog(OptionsHost& host, MasterVolumeAccess volume, QWidget* parent)
    : QDialog(parent), host_(host), copy_(host.Live()) {
    setWindowTitle(QStringLiteral("환경 설정"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icons/icon32.png")));

    pages_ = new QListWidget;
    pages_->setIconSize(QSize(20, 20));
    pages_->setFixedWidth(100);
    const QString names[] = {QStringLiteral(" 일반설정"), QStringLiteral(" 재생목록"), QStringLiteral(" 소리효과"),
                             QStringLiteral(" 스킨설정"), QStringLiteral(" 연결파일")};
    for (int i = 0; i < PageCount; ++i) new QListWidgetItem(OptionsPageIcon(i), names[i], pages_);

    stack_ = new QStackedWidget;
    general_ = new GeneralPage(copy_);
    playlist_ = new PlaylistPage(copy_);
    sound_ = new SoundPage(copy_, std::move(volume));
    skin_ = new SkinPage;
    fileTypes_ = new FileTypesPage(copy_);
    for (QWidget* page : {static_cast<QWidget*>(general_), static_cast<QWidget*>(playlist_),
                          static_cast<QWidget*>(sound_), static_cast<QWidget*>(skin_),
                          static_cast<QWidget*>(fileTypes_)})
        stack_->addWidget(page);

    reset_ = new QPushButton(QStringLiteral("초기화"));
    ok_ = new QPushButton(QStringLiteral("확인"));
    cancel_ = new QPushButton(QStringLiteral("취소"));
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* body = new QHBoxLayout;
    body->addWidget(pages_);
    body->addWidget(stack_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(pages_, &QListWidget::currentRowChanged, this, [this](int row) { ShowPage(row); });
    connect(reset_, &QPushButton::clicked, this, &OptionsDialog::Reset);
    connect(ok_, &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &OptionsDialog::reject);
    connect(sound_, &SoundPage::dspRequested, this, &OptionsDialog::dspRequested);

    general_->Load();
    playlist_->Load();
    sound_->Load();
    fileTypes_->Load();
    pages_->setCurrentRow(General);
    ShowPage(General);

    // At a third of the screen, as large as the pages need.
    resize(537, 499);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 3, area.y() + area.height() / 3);
    }
}

void OptionsDialog::ShowPage(int page) {
    if (page < 0 || page >= PageCount) return;
    currentPage_ = page;
    stack_->setCurrentIndex(page);
    if (pages_->currentRow() != page) pages_->setCurrentRow(page);
}

void OptionsDialog::Reset() {
    PlayerSettings live = host_.Live();
    ResetOptionSettings(live);
    host_.SetLive(live);
    CopyResetFields(live, copy_);
    general_->Load();
    fileTypes_->Load();
    sound_->Load();
    playlist_->Load();
}

void OptionsDialog::accept() {
    ApplyOptions(host_, copy_, [this] {
        skin_->Apply([this](cmd::Command command) { host_.Sink().Send(command); });
        return SelectedSkinName;
    });
    QDialog::accept();
}

}  // namespace tavora
