#pragma once
// Internet streams on the program side: opening an address off the UI thread, the
// buffering wait before playback, and the once-a-second reading of the station's
// headers and stream title (controller timer 5).
//
// Opening. Open() starts the engine's address open on a thread of its own and returns
// at once; the UI thread keeps answering. The open is bounded twice: by the engine's own
// network deadline and by kOpenLimitMs here, after which the open counts as failed. Only
// the newest open counts: a later Open() or Cancel() (a newer command, Stop) makes the
// one before stale, and a stale open's stream is freed as soon as it arrives. The result
// of the current open is handed to `opened` on the UI thread.
//
// Buffering. After the stream has been adopted by the session, StartBuffering() polls
// its download every kBufferPollMs and calls `ready` once three quarters of the buffer
// are there, the download is complete, the size is unknown (radio) or kBufferingLimitMs
// have passed; the window title shows "버퍼링... N%" meanwhile.
//
// Station texts. ReadStationTexts() reads the header lines and the stream-title block
// of the playing stream (IcyTitleParser) for controller timer 5.
//
// Threading: UI thread, except the open threads, which only call the engine's create
// and free functions. Shutdown() ends and waits for them before the engine goes.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "BackgroundJobs.h"
#include "tavora/bass_api.h"

namespace tavora {

class AudioLibrary;
class PlaybackSession;

class InternetStream : public QObject {
public:
    static constexpr DWORD kUrlFlags = BASS_STREAM_META | BASS_STREAM_STATUS;  // 0xC00000
    static constexpr int kOpenLimitMs = 30000;  // the program's own bound on one open
    static constexpr int kBufferingLimitMs = 15000;
    static constexpr int kBufferPollMs = 50;

    InternetStream(const AudioLibrary& library, PlaybackSession& session, QObject* parent = nullptr);
    ~InternetStream() override;

    // `opened` runs on the UI thread with the stream (0 when the open failed or took
    // too long), only if this open is still the current one; it then owns the stream.
    void Open(const std::string& address, std::function<void(HSTREAM stream)> opened);
    void Cancel();
    bool Opening() const { return opening_; }
    // Another bound than kOpenLimitMs for the opens that follow (tests).
    void SetOpenLimitMs(int ms) { openLimitMs_ = ms; }
    // Shutdown: no open starts any more, the engine's pending opens are ended (again
    // and again while waiting, so one that began meanwhile ends too), and every open
    // thread has returned from the engine when this returns. Call it while the engine
    // is still loaded.
    void Shutdown();
    // Ends every address open the engine has pending, for whatever caller (the engine
    // lets it fail at once); nothing without the entry point.
    void CancelEngineOpens() const;
    // Opens still running in the engine (stale ones included).
    int OpensInFlight() const { return inFlight_; }

    // The station texts of the playing stream for the once-a-second tick: the window
    // title after the station name and the latest song title, and the bit rate (empty
    // when the server sent none).
    struct StationTexts {
        std::string title;
        std::optional<std::string> bitrate;
    };
    StationTexts ReadStationTexts(const std::string& currentTitle) const;

    // `progress(percent)` after each poll that keeps waiting, `ready()` once.
    void StartBuffering(std::function<void(unsigned percent)> progress, std::function<void()> ready);
    void StopBuffering();
    bool Buffering() const { return bufferTimer_.isActive(); }

private:
    void Deliver(uint64_t generation, HSTREAM stream);
    void FreeStream(HSTREAM stream) const;
    void PollBuffer();

    const AudioLibrary& library_;
    PlaybackSession& session_;
    BackgroundJobs opens_;  // one job per open, of no kind: opens never wait for each other
    std::atomic<uint64_t> generation_{0};
    std::atomic<int> inFlight_{0};
    bool opening_ = false;
    int openLimitMs_ = kOpenLimitMs;
    std::function<void(HSTREAM)> opened_;
    QTimer openLimit_;
    QTimer bufferTimer_;
    qint64 bufferStart_ = 0;
    std::function<void(unsigned)> progress_;
    std::function<void()> ready_;
};

}  // namespace tavora
