// The player's message boxes close on a whole key stroke made on them, never on a key
// that was held down before they came up: such a key only repeats its press, and a
// notice closed by it would vanish before anyone saw it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "MessageBox.h"
#include "QtTestSupport.h"

using namespace tavora;

namespace {

// Shows a box and runs `poke` on it once it is up; what `poke` records is returned.
// A box that is still open afterwards is closed, so a failing case cannot hang.
std::vector<std::string> WithBox(const std::function<void(QMessageBox&, std::vector<std::string>&)>& poke) {
    test::App();
    SetMessageBoxHandler({});
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            seen.push_back("no box");
            return;
        }
        poke(*box, seen);
        if (box->isVisible()) box->done(QMessageBox::Ok);
    });
    ShowMessageBox(nullptr, QStringLiteral("text"), QStringLiteral("caption"), MessageIcon::Warning);
    return seen;
}

void Key(QWidget& target, QEvent::Type type, int key, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&target, &event);
}

QWidget& Button(QMessageBox& box) {
    QPushButton* ok = box.findChild<QPushButton*>();
    return ok ? static_cast<QWidget&>(*ok) : box;
}

TEST(MessageBox, AHeldKeyDoesNotCloseItAWholeStrokeDoes) {
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        const auto seen = WithBox([key](QMessageBox& box, std::vector<std::string>& seen) {
            // A key held since before the box: its first press here, then repeats.
            Key(Button(box), QEvent::KeyPress, key, false);
            for (int i = 0; i < 5; ++i) Key(Button(box), QEvent::KeyPress, key, true);
            Key(box, QEvent::KeyPress, key, true);
            QApplication::processEvents();
            seen.push_back(box.isVisible() ? "open while held" : "closed while held");
            // Repeats that come as release and press pairs do not end the stroke either.
            Key(Button(box), QEvent::KeyRelease, key, true);
            Key(Button(box), QEvent::KeyPress, key, true);
            QApplication::processEvents();
            seen.push_back(box.isVisible() ? "open while repeating" : "closed while repeating");
            Key(Button(box), QEvent::KeyRelease, key, false);
            QApplication::processEvents();
            seen.push_back(box.isVisible() ? "open after the stroke" : "closed after the stroke");
        });
        EXPECT_EQ(seen, (std::vector<std::string>{"open while held", "open while repeating", "closed after the stroke"}))
            << "key " << key;
    }
}

TEST(MessageBox, AReleaseWithoutItsPressDoesNotCloseIt) {
    // The release of a key pressed in another window before the box came up.
    const auto seen = WithBox([](QMessageBox& box, std::vector<std::string>& seen) {
        Key(Button(box), QEvent::KeyRelease, Qt::Key_Return, false);
        QApplication::processEvents();
        seen.push_back(box.isVisible() ? "open" : "closed");
        Key(Button(box), QEvent::KeyPress, Qt::Key_Escape, false);
        Key(Button(box), QEvent::KeyRelease, Qt::Key_Return, false);
        QApplication::processEvents();
        seen.push_back(box.isVisible() ? "open" : "closed");
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"open", "open"}));
}

}  // namespace
