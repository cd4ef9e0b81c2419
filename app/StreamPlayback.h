#pragma once
// The one current stream: opening a path with whichever engine module accepts it,
// wrapping it for tempo, pitch and the equaliser, starting, pausing, seeking, fading
// and stopping it, internet streams with their buffering wait and stream titles, and
// the track advance that picks the next row.
//
// Fades block the calling (UI) thread: a 500 ms volume slide and a 500 ms wait before
// a stream is replaced or stopped, and 10 ms steps when pausing. That is deliberate:
// nothing else may touch the stream meanwhile.
//
// Threading: UI thread only (commands and controller timers).

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "tavora/bass_api.h"

namespace tavora {

class AudioLibrary;
class CTavoraPlayerDlg;
class PlaylistModel;
struct PlaybackState;

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
};

class StreamPlayback {
public:
    static constexpr DWORD kUrlFlags = BASS_STREAM_META | BASS_STREAM_STATUS;  // 0xC00000
    static constexpr DWORD kDecodeFlags = BASS_STREAM_DECODE;                   // 0x200000
    static constexpr DWORD kCdFlags = BASS_STREAM_DECODE | BASS_CD_OPEN;        // 0x210000
    static constexpr DWORD kTempoFlags = BASS_FX_FREESOURCE | BASS_SAMPLE_LOOP;  // 0x10004
    static constexpr int kFadeMs = 500;
    static constexpr int kBandCount = 10;

    StreamPlayback(CTavoraPlayerDlg& dlg, AudioLibrary& library, PlaylistModel& model);

    void SetViews(PlaybackViews views) { views_ = std::move(views); }
    PlaybackViews& views() { return views_; }

    // Sound output on device 1; false (after the error message) when it cannot start.
    bool InitOutput();
    void FreeOutput();
    // "%s\n( error code: %d )" with the engine's last error code, caption "Error".
    void ShowError(const std::string& message);

    void OpenAndPlay(const std::string& path);
    void StartStream();
    void StopPlayback();

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

    // Internet streams.
    void StartUrlStream();
    void OnStreamHeadersTimer();  // every second while an internet stream plays

    // Effects.
    void InstallEqualizer();
    void RemoveEqualizer();
    void ApplyStoredGains();
    void SetBandGain(int band, int gainDb);
    void SetTempoPitch(float tempo, float pitch);
    void CreateReverse();
    std::array<int, kBandCount>& storedGains() { return gains_; }

    // Opens a path as a decoding-only stream with the first module that takes it: an
    // address, an ordinary file, a Windows Media file, a CD track. 0 when none does.
    // Safe on any thread (the list loaders probe with it).
    HSTREAM OpenDecodeStream(const std::string& path, bool tryAddress) const;

    // The engine's current position and length of the channel in seconds (0 when none).
    double PositionSeconds() const;
    double LengthSeconds() const;

private:
    HSTREAM OpenAddress(const std::string& path) const;
    // The state of a stream that has just started playing the row.
    void BeginPlaying(int row);
    void FadeOut(bool always);
    void FreeStream();
    void StartTimers();
    void FillChannelInfo();
    bool PlayChoiceRow(int row, const std::string& path, const std::string& time, bool endOfTrack);
    bool StartAddressIfItOpens(const std::string& path, int row);
    void SetTitle(const std::string& title);
    bool EngineReady() const;

    CTavoraPlayerDlg& dlg_;
    AudioLibrary& library_;
    PlaylistModel& model_;
    PlaybackState& state_;
    PlaybackViews views_;
    std::array<int, kBandCount> gains_{};
    bool equalizerInstalled_ = false;
    bool outputReady_ = false;
    HFX reverbFx_ = 0;
    // The position seen by the last tick of the position timer; forgotten whenever the
    // position jumps on purpose (a new stream, a seek).
    static constexpr QWORD kNoPosition = ~QWORD{0};
    QWORD lastTickPosition_ = kNoPosition;
};

}  // namespace tavora
