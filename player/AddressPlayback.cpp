// Internet streams on top of the current stream: an address opens on a worker; a row
// of the list stops what plays at once and shows the buffering state, a new address
// from the address dialog leaves it playing until the address has opened. Once the
// buffer is filled the stream plays as the row; every second its station texts are read.
#include "AddressPlayback.h"

#include "InternetStream.h"
#include "PlaybackRules.h"
#include "PlaybackSession.h"
#include "PlaybackState.h"
#include "PlaybackTimers.h"
#include "PlaybackViews.h"
#include "PlayerEvents.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "StreamProbe.h"
#include "TrackAdvance.h"

namespace tavora {

AddressPlayback::AddressPlayback(StreamPlayback& playback, InternetStream& internet, const Parts& parts)
    : playback_(playback),
      internet_(internet),
      session_(parts.session),
      model_(parts.model),
      state_(parts.state),
      events_(parts.events),
      probe_(parts.probe),
      views_(parts.views),
      host_(parts.host) {}

bool AddressPlayback::Opening() const { return internet_.Opening(); }

void AddressPlayback::PlayAddress(const std::string& address, std::function<int()> rowToPlay, AddressStart start) {
    if (ClassifyOpenedAddress(address) == OpenedAddressUse::PlsPlaylist) {
        if (views_.loadPls) views_.loadPls(address);
        return;
    }
    if (start == AddressStart::StopFirst) {
        playback_.FadeOut(false);
        playback_.FreeStream();
        playback_.EnterStopped();
        // The buffering state shows while the address opens.
        playback_.SetTitle("버퍼링... 0%");
    }
    internet_.Open(address, [this, rowToPlay = std::move(rowToPlay), start](HSTREAM stream) {
        AddressOpened(stream, rowToPlay, start);
    });
}

void AddressPlayback::AddressOpened(HSTREAM stream, const std::function<int()>& rowToPlay, AddressStart start) {
    const int row = stream && rowToPlay ? rowToPlay() : -1;
    if (!stream || row < 0) {
        // An address that does not open plays nothing and shows no message.
        probe_.Free(stream);
        if (start == AddressStart::StopFirst) {
            playback_.SetTitle(std::string());
            playback_.EnterStopped();
        }
        return;
    }
    if (start == AddressStart::KeepPlaying) {
        playback_.FadeOut(false);
        playback_.FreeStream();
    }
    session_.Adopt(stream);
    StartUrlStream(row);
}

void AddressPlayback::StartUrlStream(int row) {
    model_.MarkCurrentRow(row);
    if (views_.ensureRowVisible) views_.ensureRowVisible(row);
    host_.killTimer(timer::kPosition);
    host_.killTimer(timer::kStreamHeaders);
    playback_.ApplyChannelVolume();
    playback_.InstallEffects(PlaybackEffects::For::InternetStream);
    // isUrlStream is set with isPlaying once the buffer is filled: the windows see an
    // internet stream only when it plays.
    internet_.StartBuffering(
        [this](unsigned percent) {
            playback_.SetTitle("버퍼링... " + std::to_string(percent) + "%");
            if (views_.refreshMain) views_.refreshMain();
        },
        [this, row] { BeginUrlPlaying(row); });
}

void AddressPlayback::BeginUrlPlaying(int row) {
    const std::string path = model_.GetEntryField(row, kColumnPath);
    const std::string title = views_.titleForPath ? views_.titleForPath(path) : std::string(FileNameOf(path));
    session_.Play(false);
    playback_.SetTitle(title);
    state_.isUrlStream = 1;
    state_.isPlaying = 1;
    state_.isPaused = 0;
    state_.positionUnits = 0;
    state_.bitrateText.clear();
    playback_.FillChannelInfo();
    state_.lengthSeconds = 0;
    host_.setTimer(timer::kPosition, timer::kPositionPeriodMs);
    host_.setTimer(timer::kMasterVolume, timer::kMasterVolumePeriodMs);
    host_.setTimer(timer::kStreamHeaders, timer::kStreamHeadersPeriodMs);
    if (views_.startMainTimers) views_.startMainTimers();
    if (views_.refreshMain) views_.refreshMain();
    emit events_.trackChanged();
    emit events_.stateChanged(StateFact::Transport);
}

void AddressPlayback::OnStreamHeadersTimer() {
    if (!state_.isUrlStream) {
        host_.killTimer(timer::kStreamHeaders);
        playback_.SetTitle(state_.titleText);
        return;
    }
    const InternetStream::StationTexts texts = internet_.ReadStationTexts(state_.titleText);
    if (texts.bitrate) state_.bitrateText = *texts.bitrate;
    const bool newTitle = texts.title != state_.titleText;
    state_.titleText = texts.title;
    if (views_.refreshMain) views_.refreshMain();
    const int row = model_.CurrentIndex();
    model_.UpdateTitle(row, model_.GetEntryField(row, kColumnPath), state_.titleText);
    if (views_.repaintList) views_.repaintList();
    playback_.SetTitle(state_.titleText);
    // The station's song is the stream's track.
    if (newTitle) emit events_.trackChanged();
}

}  // namespace tavora
