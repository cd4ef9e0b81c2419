#include "TagProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tavora {

TagProgressDialog::TagProgressDialog(Kind kind, QWidget* parent)
    : QDialog(parent), status_(new QLabel(this)), counter_(new QLabel(this)), bar_(new QProgressBar(this)) {
    const bool reading = kind == Kind::Reading;
    setWindowTitle(reading ? QStringLiteral("불러오기") : QStringLiteral("저장하기"));
    setObjectName(reading ? QStringLiteral("TagProgress235") : QStringLiteral("TagProgress237"));
    status_->setText(reading ? QStringLiteral("파일정보 읽는중...") : QStringLiteral("파일정보 쓰는중..."));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    auto* texts = new QHBoxLayout;
    texts->addWidget(status_, 1);
    texts->addWidget(counter_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(texts);
    layout->addWidget(bar_);
    setFixedSize(220, 70);
    setModal(true);
}

void TagProgressDialog::ShowProgress(int done, int total) {
    counter_->setText(QStringLiteral("%1/%2").arg(done).arg(total));
    bar_->setValue(total > 0 ? done * 100 / total : 100);
}

void TagProgressDialog::Finish() {
    finished_ = true;
    bar_->setValue(100);
    status_->setText(QStringLiteral("완료"));
}

QString TagProgressDialog::statusText() const { return status_->text(); }
QString TagProgressDialog::counterText() const { return counter_->text(); }
int TagProgressDialog::barValue() const { return bar_->value(); }

void TagProgressDialog::closeEvent(QCloseEvent* event) {
    if (finished_) event->accept();
    else event->ignore();
}

}  // namespace tavora
