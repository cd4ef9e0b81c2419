#include "MainSliders.h"

#include <string>

#include "MainDisplayRules.h"
#include "MainRefresh.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"

namespace tavora {

using namespace mainwin;

MainSliders::MainSliders(SkinElementSet& skin, CommandSink& sink, const PlaybackView& view, MainRefresh& refresh)
    : sink_(sink), view_(view), refresh_(refresh) {
    position_ = {&skin["ID_PLAYER_ITIMELINE_FULL"], &skin["ID_PLAYER_ITIMELINE_EMPTY"], &skin["ID_PLAYER_BTTIMELINE"]};
    volume_ = {&skin["ID_PLAYER_IVOLUMELINE_FULL"], &skin["ID_PLAYER_IVOLUMELINE_EMPTY"], &skin["ID_PLAYER_BTVOLUMELINE"]};
}

QRect MainSliders::PositionHotArea() const {
    const SkinElement* full = position_.full;
    const SkinElement* thumb = position_.thumb;
    return QRect(QPoint(full->rect.left, thumb->rect.top),
                 QPoint(full->rect.right + thumb->Width - 1, thumb->rect.bottom - 1));
}

QRect MainSliders::VolumeHotArea() const {
    const SkinElement* full = volume_.full;
    return QRect(QPoint(full->rect.left, full->rect.top),
                 QPoint(full->rect.right + volume_.thumb->Width - 1, full->rect.bottom - 1));
}

int MainSliders::PositionThumb() const {
    const PlaybackState& s = view_.State();
    if (s.isUrlStream) return 0;
    return position_.dragging ? dragUnits_ : s.positionUnits;
}

void MainSliders::SendRanges() {
    if (const int width = volume_.TrackWidth(); width > 0) Send(cmd::SetVolumeRange, CommandData::Value(width));
    if (const int width = position_.TrackWidth(); width > 0) Send(cmd::SetPositionRange, CommandData::Value(width));
}

void MainSliders::Press(QPoint point) {
    const PlaybackState& s = view_.State();
    if (PositionHotArea().contains(point) && (s.isPlaying || s.isPaused) && !s.isUrlStream) {
        position_.dragging = true;
        dragUnits_ = position_.SetFromX(point.x());
        Send(cmd::SeekDrag, CommandData::Value(1));  // the controller leaves the thumb alone meanwhile
        const std::string text = SeekTooltip(static_cast<long>(view_.PositionSeconds()));
        refresh_.ShowStatus(StatusKind::Seek, &text);
    }
    if (VolumeHotArea().contains(point)) {
        volume_.dragging = true;
        // The controller un-mutes: taking the slider means the user wants to hear it.
        Send(cmd::SetVolume, CommandData::Value(volume_.SetFromX(point.x())));
        refresh_.ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainSliders::Move(QPoint point) {
    const PlaybackState& s = view_.State();
    if (position_.dragging) {
        dragUnits_ = position_.SetFromX(point.x());
        const std::string text = SeekTooltip(SeekSecondsFromUnits(dragUnits_, s.lengthSeconds, position_.TrackWidth()));
        refresh_.ShowStatus(StatusKind::Seek, &text);
    }
    if (volume_.dragging) {
        Send(cmd::SetVolume, CommandData::Value(volume_.SetFromX(point.x())));
        refresh_.ShowStatus(StatusKind::Volume, nullptr);
    }
}

void MainSliders::Release(QPoint point) {
    const PlaybackState& s = view_.State();
    if (position_.dragging) {
        dragUnits_ = position_.SetFromX(point.x());
        position_.dragging = false;
        const long seconds = SeekSecondsFromUnits(dragUnits_, s.lengthSeconds, position_.TrackWidth());
        Send(cmd::SeekTo, CommandData::Value(static_cast<int>(seconds)));  // also lets go of the thumb
        refresh_.Refresh();
    }
    volume_.dragging = false;
}

void MainSliders::DrawPosition(QPainter& painter) {
    position_.pos = PositionThumb();
    position_.Draw(painter);
}

void MainSliders::DrawVolume(QPainter& painter) {
    volume_.pos = view_.State().volume;
    volume_.Draw(painter);
}

}  // namespace tavora
