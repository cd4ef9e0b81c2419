#pragma once
// The equaliser window's slide: it opens out of the main window's right edge and shuts
// back into it by changing its width in steps of 5 pixels, placed after every step at
// the main window's right edge and centred on it vertically. The steps run on a timer
// of the UI thread, so nothing touches the window from another thread; while they run
// PlayerEvents says the equaliser slides (the main window then ignores its equaliser
// button, and the slide itself ignores a second request).
//
// GUI thread only.

#include <QObject>
#include <QRect>
#include <QTimer>

namespace tavora {

class EqualizerWindow;
class PlayerEvents;

class EqualizerSlide : public QObject {
    Q_OBJECT
public:
    static constexpr int kStepPixels = 5;
    static constexpr int kStepMs = 8;

    EqualizerSlide(EqualizerWindow& window, PlayerEvents& events);

    // Starts sliding out (shown) or in (hidden); false while a slide runs.
    bool Start(bool out);
    bool sliding() const { return timer_.isActive(); }
    int width() const { return width_; }
    // Re-places the window against the main window (its screen rectangle).
    void Place(const QRect& mainRect);

signals:
    void finished(bool out);

private:
    void Step();

    EqualizerWindow& window_;
    PlayerEvents& events_;
    QTimer timer_;
    bool out_ = false;
    int width_ = 0;
};

// Where the window goes: its left edge at the main window's right edge, centred on the
// main window vertically.
QPoint EqualizerPlace(const QRect& mainRect, int equalizerHeight);

}  // namespace tavora
