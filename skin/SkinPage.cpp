#include "SkinPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>

#include <algorithm>

#include "InstallFolder.h"
#include "SkinBitmap.h"

namespace tavora {

namespace {
// Page geometry, in pixels of the page.
const QRect kListBox(18, 51, 110, 117);
const QRect kPreview(160, 51, 226, 117);
constexpr int kRuleLeft = 60, kRuleRight = 412, kRuleTop = 6;
}  // namespace

SkinPage::SkinPage(QWidget* parent) : QWidget(parent) {
    setFixedSize(420, 186);
    title_ = new QLabel(QStringLiteral("스킨설정"), this);
    title_->setGeometry(8, 0, 50, 14);
    QPalette titlePalette = title_->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(0x00, 0x46, 0xD5));
    title_->setPalette(titlePalette);
    group_ = new QGroupBox(QStringLiteral("스킨변경"), this);
    group_->setGeometry(8, 28, 404, 152);
    listBox_ = new QListWidget(this);
    listBox_->setGeometry(kListBox);
    listBox_->raise();

    const std::string install = InstallFolder();
    list_ = EnumerateSkins(install.empty() ? std::string() : install + "/skin", SelectedSkinName);
    for (const InstalledSkin& skin : list_.skins) listBox_->addItem(QString::fromStdString(skin.name));
    current_ = list_.matched;
    selected_ = current_ >= 0 ? current_ : 0;
    PreviewSkinFolder = list_.skins.empty() ? std::string() : list_.skins[static_cast<size_t>(selected_)].folder;
    LoadPreview();
    if (!list_.skins.empty()) listBox_->setCurrentRow(selected_);
    connect(listBox_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(list_.skins.size()) || row == selected_) return;
        selected_ = row;
        PreviewSkinFolder = list_.skins[static_cast<size_t>(row)].folder;
        LoadPreview();
        update();
        emit selectionChanged(row);
    });
}

void SkinPage::Select(int index) { listBox_->setCurrentRow(index); }

bool SkinPage::Apply(const SkinCommandSink& send) {
    if (!ApplySkinChoice(list_, selected_, current_, send)) return false;
    current_ = selected_;
    return true;
}

void SkinPage::LoadPreview() {
    screenshot_.defaultBitmap = QImage();
    screenshotOver_.defaultBitmap = QImage();
    if (PreviewSkinFolder.empty()) return;
    // A skin without a readable description keeps the names read before; its own
    // folder then decides whether those pictures exist.
    reader_.Open(PreviewSkinFolder + "/" + kSkinFileName);
    reader_.ReadGround("Setting/Screenshot", "ID_SETTING_SCREENSHOT", screenshot_);
    reader_.ReadGround("Setting/Screenshot", "ID_SETTING_SCREENSHOT_OVER", screenshotOver_);
    LoadPreviewBitmap(screenshot_.defaultBitmap, screenshot_.defaultImage);
    LoadPreviewBitmap(screenshotOver_.defaultBitmap, screenshotOver_.defaultImage);
}

void SkinPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The etched rule under the title: a dark pixel over a light one in every column.
    for (int x = kRuleLeft; x <= kRuleRight; ++x) {
        p.fillRect(QRect(x, kRuleTop, 1, 1), palette().color(QPalette::Dark));
        p.fillRect(QRect(x, kRuleTop + 1, 1, 1), palette().color(QPalette::Light));
    }
    p.fillRect(kPreview, palette().color(QPalette::Button));
    const QImage& shot = screenshot_.defaultBitmap;
    if (!shot.isNull()) {
        const int height = std::clamp(screenshot_.Height, 0, shot.height());
        p.drawImage(kPreview.topLeft(), shot, QRect(0, 0, std::min(kPreview.width(), shot.width()), height));
    }
}

}  // namespace tavora
