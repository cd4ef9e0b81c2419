#include "MainWindowInstall.h"

#include <QPointer>
#include <QTimer>

#include <memory>

#include "MainWindow.h"
#include "MessageBox.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "SkinSelection.h"

namespace tavora::main_window {

void Install(PlayerContext& context) {
    // A replaced skin is told once the windows are up, not in the middle of creating
    // them (the window set chooses the skin right before the main window is made). The
    // box belongs to the main window, so that the window manager keeps it above it,
    // also when the main window stays on top; the one-pixel owner would leave it beneath.
    const QPointer<QWidget> owner(context.windows.Owner());
    auto face = std::make_shared<QPointer<MainWindow>>();
    SetSkinNotice([owner, face](const std::string& text) {
        QTimer::singleShot(0, owner, [owner, face, text] {
            if (!owner) return;
            QWidget* parent = *face ? static_cast<QWidget*>(face->data()) : owner.data();
            ShowMessageBox(parent, QString::fromStdString(text), QStringLiteral("스킨 변경"), MessageIcon::Warning);
        });
    });
    context.startup.AddStartupStep(StartupStep::CreateMainWindow, [&context, face] {
        WindowHost& windows = context.windows;
        auto* window = new MainWindow(context.commands, context.view, context.events, windows.Owner());
        *face = window;
        windows.AddWindow(PlayerWindow::Main, window);
        // Sized by its skin at the saved place, then shown; the owner follows it.
        window->move(windows.MainRect().topLeft());
        window->show();
        context.events.AnnounceMainWindowRect(window->frameGeometry());
    });
}

}  // namespace tavora::main_window
