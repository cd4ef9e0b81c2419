#pragma once
// Playing internet streams: the address open off the UI thread, buffering, the start
// as a row of the list, and the station texts while one plays.
//
// Threading: UI thread only.

#include <functional>
#include <string>

#include "tavora/bass_api.h"

namespace tavora {

class InternetStream;
class PlaybackSession;
class PlayerEvents;
class PlaylistModel;
class StreamPlayback;
class StreamProbe;
struct PlaybackHost;
struct PlaybackState;
struct PlaybackViews;

// A row of the list stops what plays at once and shows the buffering state
// (StopFirst); a new address from the address dialog leaves it playing until the
// address has opened (KeepPlaying), so one that does not open changes nothing.
enum class AddressStart { StopFirst, KeepPlaying };

class AddressPlayback {
public:
    // What the address playback works on besides the playback's own steps.
    struct Parts {
        PlaybackSession& session;
        PlaylistModel& model;
        PlaybackState& state;
        PlayerEvents& events;
        const StreamProbe& probe;
        const PlaybackViews& views;
        const PlaybackHost& host;
    };
    AddressPlayback(StreamPlayback& playback, InternetStream& internet, const Parts& parts);

    // Opens `address` on a worker and, when it opens and is still wanted, plays it:
    // `rowToPlay` then gives the row (it may add it first); -1 frees the stream.
    void PlayAddress(const std::string& address, std::function<int()> rowToPlay, AddressStart start);
    bool Opening() const;
    // Every second while an internet stream plays: its bitrate and title.
    void OnStreamHeadersTimer();

private:
    void AddressOpened(HSTREAM stream, const std::function<int()>& rowToPlay, AddressStart start);
    void StartUrlStream(int row);
    void BeginUrlPlaying(int row);

    StreamPlayback& playback_;
    InternetStream& internet_;
    PlaybackSession& session_;
    PlaylistModel& model_;
    PlaybackState& state_;
    PlayerEvents& events_;
    const StreamProbe& probe_;
    const PlaybackViews& views_;
    const PlaybackHost& host_;
};

}  // namespace tavora
