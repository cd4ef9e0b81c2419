#include "AddressDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "PlaylistAdding.h"

namespace tavora {

namespace {
constexpr int kHistoryLimit = 20;

// The addresses entered in this session, newest first.
QStringList& History() {
    static QStringList history;
    return history;
}
}  // namespace

AddressDialog::AddressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("주소 열기"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("재생하고자 하는 주소를 입력해 주세요."), this));
    layout->addWidget(new QLabel(QStringLiteral("For example: http://www.example.com/music/song.mp3"), this));
    field_ = new QComboBox(this);
    field_->setEditable(true);
    field_->setInsertPolicy(QComboBox::NoInsert);
    field_->addItems(History());
    field_->setCurrentIndex(-1);
    field_->setMinimumContentsLength(40);
    field_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    layout->addWidget(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("확인"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("취소"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    field_->setFocus();
}

std::optional<std::string> AddressDialog::Address() const {
    const QString typed = field_->currentText().trimmed();
    if (typed.isEmpty()) return std::nullopt;
    return CompleteTypedAddress(typed.toStdString());
}

void AddressDialog::accept() {
    const QString typed = field_->currentText().trimmed();
    if (!typed.isEmpty()) {
        QStringList& history = History();
        history.removeAll(typed);
        history.prepend(typed);
        while (history.size() > kHistoryLimit) history.removeLast();
    }
    QDialog::accept();
}

}  // namespace tavora
