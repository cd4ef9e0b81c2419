#include "ProgramInfoWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace tavora {

ProgramInfoWindow::ProgramInfoWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      picture_(QStringLiteral(":/res/images/info197.png")) {
    setWindowTitle(QStringLiteral("타보라 플레이어"));
    const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    setGeometry(area.x() + area.width() / 3, area.y() + area.height() / 3, kWidth, kHeight);
    setFixedSize(kWidth, kHeight);
}

void ProgramInfoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_, 0, 0, kWidth, kHeight);
}

void ProgramInfoWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) armed_ = true;
}

void ProgramInfoWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!armed_ || !(event->buttons() & Qt::LeftButton)) return;
    // A drag moves the window instead of closing it.
    armed_ = false;
    if (QWindow* w = windowHandle()) w->startSystemMove();
}

void ProgramInfoWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && armed_) {
        armed_ = false;
        hide();
    }
}

}  // namespace tavora
