#pragma once
// The controller's playback: turns playlist rows into sound and carries out the
// playback commands and timers. It is a facade over the parts that do the work:
//  - PlaybackSession: the one playing stream (the only owner of the channel handle);
//  - EffectsChain: equaliser, tempo and pitch, reverse;
//  - InternetStream: address opens off the UI thread, buffering, station texts;
//  - StreamProbe (the controller's): decode-only opens of local files to measure them.
// The track advance (which row next, passing over rows that do not open) is in
// StreamAdvance.cpp on top of the playlist's TrackAdvance.
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

#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "EffectsChain.h"
#include "EffectsControl.h"
#include "PlaybackSession.h"
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

// What the playback asks of windows that show it; each may be left unset.
struct PlaybackViews {
    std::function<void()> refreshMain;                         // time, rates, title, lamps
    std::function<void()> startMainTimers;                     // title scroll, spectrum, display repaint
    std::function<void(const std::string&)> volumeTooltip;    // "소리 크기 - N%"
    std::function<void(const std::string&)> positionTooltip;  // "위치 이동 - mm:ss"
    std::function<void(int row)> ensureRowVisible;             // scroll the list to the row
    std::function<void()> repaintList;
    std::function<void()> openFileDialog;                      // Play with an empty list
    std::function<void(const std::string& address)> loadPls;  // a picked address that is a list
    std::function<std::string(const std::string& path)> titleForPath;  // display title by extension
    std::function<void()> stopped;                             // StopPlayback began
};

class StreamPlayback : public EffectsControl {
public:
    static constexpr int kFadeMs = PlaybackSession::kFadeMs;
    static constexpr int kPauseFadeStepMs = 10;
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
    // Opens `address` on a worker and, when it opens and is still wanted, plays it:
    // `rowToPlay` then gives the row (it may add it first); -1 frees the stream. A row
    // of the list stops what plays at once and shows the buffering state
    // (AddressStart::StopFirst); a new address from the address dialog leaves it
    // playing until the address has opened, so one that does not open changes nothing.
    enum class AddressStart { StopFirst, KeepPlaying };
    void PlayAddress(const std::string& address, std::function<int()> rowToPlay,
                     AddressStart start = AddressStart::StopFirst);
    bool OpeningAddress() const;

    // Play / pause / resume (the Play command).
    void PlayPauseResume();
    void Seek(int direction);
    // Moves to a position (the position slider); clamped to the track.
    void SeekToSeconds(double seconds);
    void StepVolume(int step);
    // Sets the slider position (0..volumeMax) and the channel's volume.
    void SetVolume(int volume);
    void SetMute(bool muted);
    // The channel volume of a start, resume or un-mute: the slider's percentage, 0 muted.
    void ApplyChannelVolume();

    // Track advance.
    void PlayNext();
    void PlayPrevious();
    void PlayCurrentEntry();   // after a double click
    void PlaySelectedEntry();  // "Play List Select"
    void OnPositionTimer();    // every 90 ms while playing

    // Internet streams: every second while one plays.
    void OnStreamHeadersTimer();

    // Effects.
    EffectsChain& effects() { return effects_; }
    void CreateReverse();
    // EffectsControl.
    void SetBandGain(int band, int gainDb) override { effects_.SetBandGain(band, gainDb); }
    void SetEqualizerOn(bool on) override;
    bool EqualizerOn() const override;
    void SetDspOpen(bool open) override { effects_.SetDspOpen(open); }
    void SetDspValues(int tempo, int pitch, int speed) override;
    bool ReverseMode() const override;
    void ToggleReverse() override;
    void ResetDsp() override;
    void CloseDsp() override;

    // The taskbar band: its volume position 0..38, and its mute switch.
    void SetBandVolume(int position);
    void SetBandMute(bool muted);

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
    // Nothing plays: flags cleared, timers of the stream stopped.
    void EnterStopped();
    void FadeOut(bool always);
    // The pause fade: the first step now, the others on pauseFade_; the channel stops
    // after the step to 0.
    void StartPauseFade();
    void PauseFadeStep();
    void CancelPauseFade();
    void FreeStream();
    void StartTimers();
    void FillChannelInfo();
    // The effects a new stream gets (see EffectsFor).
    enum class EffectsFor { LocalFile, InternetStream, ReversedFile };
    void InstallEffects(EffectsFor kind);
    // Back from reverse play: the selected entry starts again normally.
    void LeaveReverse(bool replay);
    bool PlayChoiceRow(int row, const std::string& path, bool fade, bool slideAlways);
    void PlayPath(int row, const std::string& path);
    void AddressOpened(HSTREAM stream, const std::function<int()>& rowToPlay, AddressStart start);
    void StartUrlStream(int row);
    void BeginUrlPlaying(int row);
    void SetTitle(const std::string& title);
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
    EffectsChain effects_;
    std::unique_ptr<InternetStream> internet_;
    // The position seen by the last tick of the position timer; forgotten whenever the
    // position jumps on purpose (a new stream, a seek).
    static constexpr QWORD kNoPosition = ~QWORD{0};
    QWORD lastTickPosition_ = kNoPosition;
    QTimer pauseFade_;
    int pauseFadeLevel_ = 0;  // the volume-slider level the fade has reached
};

}  // namespace tavora
