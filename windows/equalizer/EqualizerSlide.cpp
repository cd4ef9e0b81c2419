#include "EqualizerSlide.h"

#include <algorithm>

#include "EqualizerWindow.h"
#include "PlayerEvents.h"

namespace tavora {

QPoint EqualizerPlace(const QRect& mainRect, int equalizerHeight) {
    return QPoint(mainRect.x() + mainRect.width(), mainRect.y() + (mainRect.height() - equalizerHeight) / 2);
}

EqualizerSlide::EqualizerSlide(EqualizerWindow& window, PlayerEvents& events)
    : QObject(&window), window_(window), events_(events) {
    timer_.setInterval(kStepMs);
    connect(&timer_, &QTimer::timeout, this, &EqualizerSlide::Step);
}

bool EqualizerSlide::Start(bool out) {
    if (sliding()) return false;
    out_ = out;
    width_ = out ? 0 : window_.width();
    if (!out && !window_.isVisible()) width_ = 0;
    events_.AnnounceEqualizerSliding(true);
    timer_.start();
    Step();
    return true;
}

void EqualizerSlide::Place(const QRect& mainRect) {
    if (!mainRect.isValid()) return;
    window_.move(EqualizerPlace(mainRect, window_.height()));
}

void EqualizerSlide::Step() {
    const int full = window_.fullWidth();
    width_ = out_ ? std::min(width_ + kStepPixels, full) : std::max(width_ - kStepPixels, 0);
    if (width_ > 0) {
        window_.SetVisibleWidth(width_);
        Place(events_.mainWindowRect());
        if (!window_.isVisible()) window_.show();
        window_.repaint();
    } else {
        window_.hide();
    }
    const bool done = out_ ? width_ >= full : width_ <= 0;
    if (!done) return;
    timer_.stop();
    events_.AnnounceEqualizerSliding(false);
    emit finished(out_);
}

}  // namespace tavora
