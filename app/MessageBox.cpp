#include "MessageBox.h"

#include <QMessageBox>

namespace tavora {
namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) {
    if (Handler()) {
        Handler()(text, caption, icon);
        return;
    }
    QMessageBox box(icon == MessageIcon::Error     ? QMessageBox::Critical
                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tavora
