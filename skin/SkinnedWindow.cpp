#include "SkinnedWindow.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

namespace tavora {

SkinnedWindow::SkinnedWindow(SkinWindowKind kind, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), kind_(kind) {
    setMouseTracking(true);
    // The buffer covers every pixel: no background erase before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

SkinnedWindow::~SkinnedWindow() = default;

SkinClientOrder SkinnedWindow::reloadOrder() const {
    switch (kind_) {
    case SkinWindowKind::Main: return SkinClientOrder::MainWindow;
    case SkinWindowKind::Playlist: return SkinClientOrder::PlaylistWindow;
    case SkinWindowKind::ListControl: return SkinClientOrder::ListControl;
    case SkinWindowKind::Equalizer: return SkinClientOrder::EqualizerWindow;
    }
    return SkinClientOrder::Other;
}

void SkinnedWindow::ReloadSkin() {
    LoadSkin();
    InvalidateElements();
    buttons_.SetClientWidth(width());
    update();
}

void SkinnedWindow::DrawElements(QPainter& painter) {
    keyScratch_.clear();
    if (!ElementsKey(keyScratch_)) {
        // Pixels no element covers stay black.
        painter.fillRect(rect(), Qt::black);
        ComposeElements(painter);
        return;
    }
    keyScratch_.push_back(width());
    keyScratch_.push_back(height());
    for (int i = 0; i < buttons_.size(); ++i) keyScratch_.push_back(static_cast<int>(ButtonImage(buttons_.State(i))));
    if (elementsLayer_.isNull() || elementsLayer_.size() != size() || keyScratch_ != elementsKey_) {
        elementsLayer_ = QImage(size(), QImage::Format_RGB32);
        elementsLayer_.fill(Qt::black);
        QPainter layer(&elementsLayer_);
        ComposeElements(layer);
        elementsKey_.swap(keyScratch_);
    }
    painter.drawImage(0, 0, elementsLayer_);
}

void SkinnedWindow::Compose(QPainter& painter) {
    DrawElements(painter);
    DrawOverlays(painter);
    DrawAfterCompose(painter);
}

QImage SkinnedWindow::ComposeWindow() {
    buttons_.SetClientWidth(width());
    QImage buffer(size(), QImage::Format_RGB32);
    buffer.fill(Qt::black);
    {
        QPainter painter(&buffer);
        Compose(painter);
    }
    return buffer;
}

void SkinnedWindow::paintEvent(QPaintEvent* event) {
    if (width() <= 0 || height() <= 0) return;
    // Qt's backing store is the off-screen buffer: only the invalidated region is
    // drawn into it, and it reaches the screen in one go.
    QPainter painter(this);
    painter.setClipRegion(event->region());
    Compose(painter);
}

bool SkinnedWindow::Draw(QPainter& painter, SkinElement& element, SkinImage which) {
    return DrawElement(painter, rect(), element, which, kind_);
}

bool SkinnedWindow::DrawButton(QPainter& painter, SkinElement& imageSet, int buttonIndex) {
    if (buttonIndex < 0 || buttonIndex >= buttons_.size()) return false;
    return Draw(painter, imageSet, ButtonImage(buttons_.State(buttonIndex)));
}

bool SkinnedWindow::DrawButton(QPainter& painter, SkinElement& normal, SkinElement& over, SkinElement& down,
                               int buttonIndex) {
    if (buttonIndex < 0 || buttonIndex >= buttons_.size()) return false;
    switch (ButtonImage(buttons_.State(buttonIndex))) {
    case SkinImage::Down: return Draw(painter, down);
    case SkinImage::Over: return Draw(painter, over);
    case SkinImage::Default: break;
    }
    return Draw(painter, normal);
}

QRegion SkinnedWindow::ButtonRegion(int index) const {
    const SkinRect r = buttons_.Rect(index);
    return QRegion(r.left, r.top, r.Width(), r.Height());
}

void SkinnedWindow::RepaintButtons() {
    QRegion region;
    for (int i = 0; i < buttons_.size(); ++i) region += ButtonRegion(i);
    update(region);
}

void SkinnedWindow::resizeEvent(QResizeEvent* event) {
    buttons_.SetClientWidth(width());
    QWidget::resizeEvent(event);
}

void SkinnedWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const bool onButton = buttons_.Press(p.x(), p.y());
    if (onButton) RepaintButtons();
    if (!onButton && !IsOnControl(p)) dragArmed_ = true;
    OnPress(p);
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (IsAnimating()) return;
    const bool gone = !BackgroundRect().contains(p) && !SliderDragging();
    const bool changed = gone ? buttons_.Leave() : buttons_.MouseMove(p.x(), p.y());
    if (changed) RepaintButtons();
    if (dragArmed_ && (event->buttons() & Qt::LeftButton) && !buttons_.AnyPressed() && !SliderDragging() &&
        MayStartMove(p)) {
        dragArmed_ = false;
        if (QWindow* handle = windowHandle()) {
            handle->startSystemMove();
            emit systemMoveStarted();
        }
        return;
    }
    OnMove(p);
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    dragArmed_ = false;
    buttons_.Release(p.x(), p.y());
    RepaintButtons();
    OnRelease(p);
}

void SkinnedWindow::leaveEvent(QEvent* event) {
    if (!SliderDragging() && buttons_.Leave()) RepaintButtons();
    QWidget::leaveEvent(event);
}

}  // namespace tavora
