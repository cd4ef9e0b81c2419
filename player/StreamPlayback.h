#pragma once
// The player's playback: turns playlist rows into sound and carries out the
// playback commands and timers. It is a facade over the parts that do the work:
//  - PlaybackSession: the one playing stream (the only owner of the channel handle);
//  - AddressPlayback over InternetStream: address opens off the UI thread, buffering,
//    station texts;
//  - StreamProbe (the owner's): decode-only opens of local files to measure them;
//  - PlaybackVolume: the channel volume, mute and the pause fade;
//  - PlaybackEffects: the effects a new stream gets and the windows' effect switches;
//  - PlaybackAdvance: the track advance (which row next, passing over rows that do not
//    open) on top of the playlist's TrackAdvance, and the end of a track.
//
// Every network open runs on a worker: a row that is an address shows the buffering
// state at once and starts when its open finishes, if no newer command (another row,
// Stop) came meanwhile. Local files open on the UI thread, as do the cross-fades (a
// 500 ms slide and a 500 ms wait before a stream is replaced or stopped): nothing else
// may touch the stream meanwhile. The pause fade (one volume step every 10 ms, then the
// channel stops) runs on a timer instead: the pause counts at once, a resume or a new
// stream ends the fade where it is, so a flood of Play requests costs each only its
// own few calls and the player keeps answering.
//
// It reaches its owner only through the faces it is given (PlaybackHost: timers, the
// title, the output window), announces what happens as PlayerEvents, and follows the
// list's row changes to announce them as events too.
//
// Threading: UI thread only (commands and controller timers).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "AddressPlayback.h"
#include "EffectsControl.h"
#include "PlaybackAdvance.h"
#include "PlaybackEffects.h"
#include "PlaybackSession.h"
#include "PlaybackViews.h"
#include "PlaybackVolume.h"
#include "tavora/bass_api.h"

class QWidget;

namespace tavora {

class AudioLibrary;
class InternetStream;
class PlayerEvents;
class PlaylistModel;
class PlaylistModelSignals;
class StreamProbe;
struct PlaybackState;

// What the playback needs of its owner; every function is set.
struct PlaybackHost {
    std::function<void(int id, int periodMs)> setTimer;  // the owner's timers (Messages.h ids)
    std::function<void(int id)> killTimer;
    std::function<void(const std::string& title)> setTitle;  // the song's title on the taskbar
    std::function<void*()> outputWindow;                     // the window the sound output belongs to
    QWidget* messageParent = nullptr;                        // over which the error messages show
};

class StreamPlayback : public EffectsControl {
public:
    static constexpr int kFadeMs = PlaybackSession::kFadeMs;
    static constexpr int kPauseFadeStepMs = PlaybackVolume::kPauseFadeStepMs;
    static constexpr int kBandCount = EffectsChain::kBandCount;

    StreamPlayback(PlaybackHost host, AudioLibrary& library, PlaylistModel& model, PlaybackState& state,
                   PlayerEvents& events, const StreamProbe& probe);
    ~StreamPlayback() override;

    void SetViews(PlaybackViews views) { views_ = std::move(views); }
    PlaybackViews& views() { return views_; }

    // Sound output on device 1; false (after the error message) when it cannot start.
    bool InitOutput();
    // Ends the address opens (the engine's pending opens are cancelled), then frees the
    // stream and the output.
    void FreeOutput();
    // "%s\n( error code: %d )" with the engine's error code, caption "Error".
    void ShowError(const std::string& message, int code);

    // Plays a local path as the row at currentIndex.
    void OpenAndPlay(const std::string& path);
    void StopPlayback();
    // Makes `row` the selected and current row and plays it (a file at once, an
    // address once it has opened).
    void PlayRow(int row);
    // Internet streams (AddressPlayback).
    using AddressStart = tavora::AddressStart;
    void PlayAddress(const std::string& address, std::function<int()> rowToPlay,
                     AddressStart start = AddressStart::StopFirst) {
        address_.PlayAddress(address, std::move(rowToPlay), start);
    }
    bool OpeningAddress() const { return address_.Opening(); }
    void OnStreamHeadersTimer() { address_.OnStreamHeadersTimer(); }

    // Play / pause / resume (the Play command).
    void PlayPauseResume();
    void Seek(int direction);
    // Moves to a position (the position slider); clamped to the track.
    void SeekToSeconds(double seconds);
    // The volume (PlaybackVolume).
    void StepVolume(int step) { volume_.StepVolume(step); }
    void SetVolume(int volume) { volume_.SetVolume(volume); }
    void SetMute(bool muted) { volume_.SetMute(muted); }
    void ApplyChannelVolume() { volume_.ApplyChannelVolume(); }

    // Track advance (PlaybackAdvance).
    void PlayNext() { advance_.PlayNext(); }
    void PlayPrevious() { advance_.PlayPrevious(); }
    void PlayCurrentEntry() { advance_.PlayCurrentEntry(); }    // after a double click
    void PlaySelectedEntry() { advance_.PlaySelectedEntry(); }  // "Play List Select"
    void OnPositionTimer() { advance_.OnPositionTimer(); }      // every 90 ms while playing

    // The steps the track advance takes on the stream.
    void FadeOut(bool always);
    void FreeStream();
    // A file row or an address row (played once it has opened).
    void PlayPath(int row, const std::string& path);
    // Starts an opened file as the row; false when it did not open after all.
    bool StartOpened(HSTREAM stream, int row);
    // And the steps of the address playback.
    void EnterStopped();  // nothing plays: flags cleared, timers of the stream stopped
    void SetTitle(const std::string& title);
    void FillChannelInfo();
    void InstallEffects(PlaybackEffects::For kind) { effects_.InstallFor(kind); }

    // Effects (PlaybackEffects).
    EffectsChain& effects() { return effects_.chain(); }
    void CreateReverse();
    // EffectsControl.
    void SetBandGain(int band, int gainDb) override { effects_.SetBandGain(band, gainDb); }
    void SetEqualizerOn(bool on) override { effects_.SetEqualizerOn(on); }
    bool EqualizerOn() const override { return effects_.EqualizerOn(); }
    void SetDspOpen(bool open) override { effects_.SetDspOpen(open); }
    void SetDspValues(int tempo, int pitch, int speed) override { effects_.SetDspValues(tempo, pitch, speed); }
    bool ReverseMode() const override { return effects_.ReverseMode(); }
    void ToggleReverse() override { effects_.ToggleReverse(); }
    void ResetDsp() override { effects_.ResetDsp(); }
    void CloseDsp() override { effects_.CloseDsp(); }

    // The taskbar band: its volume position 0..38, and its mute switch.
    void SetBandVolume(int position) { volume_.SetBandVolume(position); }
    void SetBandMute(bool muted) { volume_.SetMute(muted); }

    // The engine's current position and length of the channel in seconds (0 when none).
    double PositionSeconds() const { return session_.PositionSeconds(); }
    double LengthSeconds() const { return session_.LengthSeconds(); }

    PlaybackSession& session() { return session_; }
    InternetStream& internet() { return *internet_; }

private:
    enum class StartResult { Started, NotOpened, Failed };
    // Starts the stream the session holds as the row at currentIndex.
    StartResult StartStream();
    // The state of a stream that has just started playing the row.
    void BeginPlaying(int row);
    void StartTimers();
    bool EngineReady() const;

    // Announces a change of the transport state (playing, paused, stopped).
    void AnnounceTransport();

    PlaybackHost host_;
    AudioLibrary& library_;
    PlaylistModel& model_;
    PlaybackState& state_;
    PlayerEvents& events_;
    const StreamProbe& probe_;
    std::unique_ptr<PlaylistModelSignals> listSignals_;
    PlaybackViews views_;
    PlaybackSession session_;
    PlaybackEffects effects_;
    PlaybackVolume volume_;
    PlaybackAdvance advance_;
    std::unique_ptr<InternetStream> internet_;
    AddressPlayback address_;
};

}  // namespace tavora
