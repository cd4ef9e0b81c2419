#pragma once
// MainSliders: the main window's position and volume sliders. Pressing the position
// slider holds its thumb (the player leaves it alone meanwhile) and shows the time it
// points at; letting go seeks there. The volume slider sets the volume as it moves.
// Both send their requests as commands and show their status message through the
// window's refresh.
//
// GUI thread only.

#include <QPoint>
#include <QRect>

#include "CommandSink.h"
#include "LineSlider.h"
#include "SkinIdentifiers.h"

class QPainter;

namespace tavora {

class MainRefresh;
class PlaybackView;

class MainSliders {
public:
    MainSliders(SkinElementSet& skin, CommandSink& sink, const PlaybackView& view, MainRefresh& refresh);

    const LineSlider& position() const { return position_; }
    const LineSlider& volume() const { return volume_; }
    bool Dragging() const { return position_.dragging || volume_.dragging; }
    // Where a press takes each slider.
    QRect PositionHotArea() const;
    QRect VolumeHotArea() const;
    // The position slider's thumb: where the user holds it while dragging.
    int PositionThumb() const;
    // The sliders' lengths are the ranges of the volume and the position.
    void SendRanges();

    void Press(QPoint point);
    void Move(QPoint point);
    void Release(QPoint point);

    void DrawPosition(QPainter& painter);
    void DrawVolume(QPainter& painter);

private:
    void Send(cmd::Command command, CommandData data = {}) { sink_.Send(command, std::move(data)); }

    CommandSink& sink_;
    const PlaybackView& view_;
    MainRefresh& refresh_;
    LineSlider position_;
    LineSlider volume_;
    int dragUnits_ = 0;  // the position slider's thumb while it is held
};

}  // namespace tavora
