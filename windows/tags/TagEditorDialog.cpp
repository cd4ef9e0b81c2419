#include "TagEditorDialog.h"

#include <QCloseEvent>
#include <QShortcut>

namespace tavora {

void TagEditorDialog::SetBusy(bool busy) {
    busy_ = busy;
    setEnabled(!busy);
}

void TagEditorDialog::AddPlainKey(const char* key, std::function<void()> action) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
    connect(shortcut, &QShortcut::activated, this, std::move(action));
}

void TagEditorDialog::CloseUnlessBusy() {
    if (!busy_) done(QDialog::Accepted);
}

void TagEditorDialog::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Rejected);
}

}  // namespace tavora
