// tavora-band: the mini player that takes over the player's controls while the
// player is minimised. Started from the desktop's menu ("타보라 미니 플레이어"); it
// docks at the bottom right of the screen, beside the panel's tray.
//
//   tavora-band [--at X,Y]
#include <QApplication>
#include <QScreen>

#include <cstdlib>

#include "BandWindow.h"
#include "band/X11BandLink.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    // Qt names the window class after the application.
    QApplication::setApplicationName(QString::fromLatin1(tavora::band::kWindowClass));
    tavora::band::BandWindow window;
    QPoint at;
    const QStringList args = QApplication::arguments();
    const int i = args.indexOf(QStringLiteral("--at"));
    if (i > 0 && i + 1 < args.size() && args[i + 1].count(QLatin1Char(',')) == 1) {
        at = QPoint(args[i + 1].section(QLatin1Char(','), 0, 0).toInt(), args[i + 1].section(QLatin1Char(','), 1).toInt());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        at = QPoint(area.right() - tavora::band::BandWindow::kWidth - 40,
                    area.bottom() - tavora::band::BandWindow::kHeight - 2);
    }
    window.move(at);
    tavora::band::WindowMessageFilter messages(
        [&window](uint32_t to, unsigned message, uint32_t wParam, uint32_t lParam) {
            if (to == static_cast<uint32_t>(window.winId())) window.OnMessage(message, wParam, lParam);
        });
    window.show();
    tavora::band::SetWindowClass(static_cast<uint32_t>(window.winId()), "tavora-band",
                                 tavora::band::kWindowClass);
    return app.exec();
}
