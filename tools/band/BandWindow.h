#pragma once
// The mini player: a small strip docked on the desktop's panel that takes over the
// player's controls while the player is minimised. It shows what the player handed
// over (play state, volume 0..38, mute, repeat and shuffle) and sends the player
// "show", play, back, next, volume and mute; without a hand-over it is just the
// player's icon, and a click on it asks the player to come back.
//
// Its window class is "TavoraDeskBandClass", which is how the player finds it.
//
// Threading: UI thread only.

#include <QWidget>

#include <cstdint>

#include "band/BandProtocol.h"

namespace tavora::band {

class BandWindow : public QWidget {
    Q_OBJECT
public:
    // The strip's places, in pixels from its left edge.
    enum class Part { Icon, Back, Play, Next, Mute, Volume, None };
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 28;

    explicit BandWindow(QWidget* parent = nullptr);

    // A message from the player.
    void OnMessage(unsigned message, uint32_t wParam, uint32_t lParam);

    bool hasControls() const { return controls_; }
    const BandState& state() const { return state_; }
    const BandModes& modes() const { return modes_; }

    static Part PartAt(int x);
    // The volume position (0..38) for a click at `x` on the volume track.
    static int VolumeAt(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Request(unsigned message, uint32_t wParam = 0);
    void ShowState();

    uint32_t player_ = 0;  // the player's window, from its last hand-over
    bool controls_ = false;
    BandState state_;
    BandModes modes_;
};

}  // namespace tavora::band
