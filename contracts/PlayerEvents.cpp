#include "PlayerEvents.h"

namespace tavora {

void PlayerEvents::AnnouncePlaylistDocked(bool docked) {
    if (docked == playlistDocked_) return;
    playlistDocked_ = docked;
    emit dockingChanged(docked);
}

void PlayerEvents::AnnounceEqualizerSliding(bool sliding) {
    if (sliding == equalizerSliding_) return;
    equalizerSliding_ = sliding;
    emit equalizerSlidingChanged(sliding);
}

void PlayerEvents::AnnounceMainWindowRect(const QRect& rect) {
    if (rect == mainWindowRect_) return;
    mainWindowRect_ = rect;
    emit mainWindowRectChanged(rect);
}

}  // namespace tavora
