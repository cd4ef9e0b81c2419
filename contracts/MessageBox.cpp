#include "MessageBox.h"

#include <QKeyEvent>
#include <QMessageBox>

#include <memory>

namespace tavora {
namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

// Closes the box on a whole stroke of Enter, Return or Escape made on it: the press
// arms, the release closes. A key that was already held down when the box came up
// (a user still holding Enter in the playlist, a stuck key) only repeats its press and
// must not close a message nobody has seen.
class WholeKeyStroke : public QObject {
public:
    explicit WholeKeyStroke(QMessageBox& box) : QObject(&box), box_(box) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter && key->key() != Qt::Key_Escape) return false;
        if (key->isAutoRepeat()) return true;
        if (event->type() == QEvent::KeyPress) {
            armed_ = key->key();
        } else if (armed_ == key->key()) {
            armed_ = 0;
            box_.done(QMessageBox::Ok);
        }
        return true;
    }

private:
    QMessageBox& box_;
    int armed_ = 0;
};
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

namespace {

QMessageBox* MakeBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) {
    auto* box = new QMessageBox(icon == MessageIcon::Error     ? QMessageBox::Critical
                                : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                               : QMessageBox::Information,
                                caption, text, QMessageBox::Ok, parent);
    // Key events reach the focused button first, so every part of the box is watched.
    auto* strokes = new WholeKeyStroke(*box);
    box->installEventFilter(strokes);
    for (QWidget* part : box->findChildren<QWidget*>()) part->installEventFilter(strokes);
    return box;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) {
    if (Handler()) {
        Handler()(text, caption, icon);
        return;
    }
    std::unique_ptr<QMessageBox> box(MakeBox(parent, text, caption, icon));
    box->exec();
}

QWidget* OpenMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) {
    if (Handler()) {
        Handler()(text, caption, icon);
        return nullptr;
    }
    QMessageBox* box = MakeBox(parent, text, caption, icon);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

}  // namespace tavora
