// The playlist window's mouse: the resize grip with its outline, dragging by the
// frame, and docking to the main window on every move.
#include <QCursor>
#include <QMoveEvent>
#include <QRubberBand>

#include "Commands.h"
#include "PlayerEvents.h"
#include "PlaylistGeometry.h"
#include "PlaylistListCtrl.h"
#include "PlaylistWindow.h"

namespace tavora {

QRect PlaylistWindow::gripRect() const {
    const SkinRect r = E("ID_LIST_IGROUNDRESIZEING").placedRect;
    return QRect(r.left, r.top, r.Width(), r.Height());
}

bool PlaylistWindow::IsOnControl(QPoint point) const { return gripRect().contains(point); }

bool PlaylistWindow::MayStartMove(QPoint point) const {
    // The frame is the band outside the inner area; inside it the window stays put.
    const QRect inner(QPoint(kFrameSide, kFrameTop), QPoint(width() - kFrameSide, height() - kFrameBottom));
    return !inner.contains(point);
}

void PlaylistWindow::OnPress(QPoint point) {
    pressPoint_ = point;
    if (!gripRect().contains(point)) return;
    resizing_ = true;
    band_->setGeometry(QRect(mapToGlobal(QPoint(0, 0)), size()));
    band_->show();
}

void PlaylistWindow::OnMove(QPoint point) {
    const bool overGrip = gripRect().contains(point);
    if (overGrip || resizing_) setCursor(Qt::SizeFDiagCursor);
    else unsetCursor();
    if (!resizing_) return;
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    const QPoint corner = ClampResizePoint(mapToGlobal(point), topLeft, minimum_);
    band_->setGeometry(QRect(topLeft, QSize(corner.x() - topLeft.x(), corner.y() - topLeft.y())));
}

void PlaylistWindow::OnRelease(QPoint point) {
    if (resizing_) FinishResize(point);
    resizing_ = false;
    band_->hide();
    unsetCursor();
}

void PlaylistWindow::FinishResize(QPoint point) {
    if (gripRect().contains(point)) return;
    // Only a press in the bottom-right corner zone may end in a resize.
    const SkinElement& grip = E("ID_LIST_IGROUNDRESIZEING");
    const QRect zone(width() - grip.rect.left, height() - grip.rect.top, grip.rect.left, grip.rect.top);
    if (!zone.contains(pressPoint_)) return;
    const QPoint corner = ClampResizePoint(point, QPoint(0, 0), minimum_);
    resize(corner.x(), corner.y());
    show();
}

QPoint PlaylistWindow::Snap(QPoint proposed) {
    const QRect main = events_ ? events_->mainWindowRect() : QRect();
    const SnapResult snapped = SnapToMain(proposed, size(), main);
    dockState_ = snapped.dockState;
    if (events_) events_->AnnouncePlaylistDocked(IsDocked(dockState_));
    return snapped.topLeft;
}

void PlaylistWindow::moveEvent(QMoveEvent* event) {
    SkinnedWindow::moveEvent(event);
    if (snapping_) return;
    const QPoint at = pos();
    const QPoint snapped = Snap(at);
    if (snapped != at) {
        snapping_ = true;
        move(snapped);
        snapping_ = false;
    }
}

}  // namespace tavora
