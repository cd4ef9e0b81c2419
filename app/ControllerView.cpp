#include "ControllerView.h"

#include "AudioLibrary.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"

namespace tavora {

double ControllerView::PositionSeconds() const { return playback_.PositionSeconds(); }

double ControllerView::LengthSeconds() const { return playback_.LengthSeconds(); }

bool ControllerView::Spectrum(float* bins) const {
    const auto& fetch = audio_.Bass().BASS_ChannelGetData;
    if (!state_.channelHandle || !fetch) return false;
    return fetch(state_.channelHandle, bins, BASS_DATA_FFT512) != DWORD(-1);
}

std::string ControllerView::CurrentPath() const {
    return model_.GetEntryField(model_.CurrentIndex(), kColumnPath);
}

}  // namespace tavora
