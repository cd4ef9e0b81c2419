#include "InternetStream.h"

#include <QDateTime>

#include "AudioLibrary.h"
#include "IcyTitleParser.h"
#include "PlaybackSession.h"
#include "UiThread.h"

namespace tavora {

InternetStream::InternetStream(const AudioLibrary& library, PlaybackSession& session, QObject* parent)
    : QObject(parent), library_(library), session_(session) {
    openLimit_.setSingleShot(true);
    connect(&openLimit_, &QTimer::timeout, this, [this] {
        // The program's own bound: the open is given up; its stream, should it still
        // come, is freed on arrival.
        if (!opening_) return;
        auto opened = std::move(opened_);
        Cancel();
        if (opened) opened(0);
    });
    bufferTimer_.setInterval(kBufferPollMs);
    connect(&bufferTimer_, &QTimer::timeout, this, [this] { PollBuffer(); });
}

InternetStream::~InternetStream() {
    // Normally Shutdown() has run; the engine may be gone now, so only wait.
    Cancel();
    opens_.StopAll();
}

void InternetStream::FreeStream(HSTREAM stream) const {
    if (stream && library_.Bass().BASS_StreamFree) library_.Bass().BASS_StreamFree(stream);
}

void InternetStream::Open(const std::string& address, std::function<void(HSTREAM stream)> opened) {
    Cancel();
    if (opens_.Cancelled()) return;  // the player is closing
    const uint64_t generation = ++generation_;
    opening_ = true;
    opened_ = std::move(opened);
    openLimit_.start(openLimitMs_);
    const PFN_BASS_StreamCreateURL create = library_.Bass().BASS_StreamCreateURL;
    ++inFlight_;
    opens_.Start({}, [this, generation, create, address](const std::atomic<bool>&) {
        const HSTREAM stream = create ? create(address.c_str(), 0, kUrlFlags, nullptr, nullptr) : 0;
        if (generation != generation_) {
            FreeStream(stream);  // nobody waits for it any more
        } else {
            RunOnUiThread(this, [this, generation, stream] { Deliver(generation, stream); });
        }
        --inFlight_;
    });
}

void InternetStream::Deliver(uint64_t generation, HSTREAM stream) {
    if (generation != generation_ || !opening_) {
        FreeStream(stream);
        return;
    }
    opening_ = false;
    openLimit_.stop();
    auto opened = std::move(opened_);
    opened_ = nullptr;
    if (opened) opened(stream);
    else FreeStream(stream);
}

void InternetStream::Cancel() {
    ++generation_;
    opening_ = false;
    opened_ = nullptr;
    openLimit_.stop();
}

void InternetStream::CancelEngineOpens() const {
    if (library_.Bass().BASS_CancelPendingOpens) library_.Bass().BASS_CancelPendingOpens();
}

void InternetStream::Shutdown() {
    Cancel();
    opens_.Cancel();
    CancelEngineOpens();
    opens_.Join([this] { CancelEngineOpens(); });
}

void InternetStream::StartBuffering(std::function<void(unsigned)> progress, std::function<void()> ready) {
    progress_ = std::move(progress);
    ready_ = std::move(ready);
    bufferStart_ = QDateTime::currentMSecsSinceEpoch();
    bufferTimer_.start();
    PollBuffer();
}

void InternetStream::StopBuffering() {
    bufferTimer_.stop();
    progress_ = nullptr;
    ready_ = nullptr;
}

void InternetStream::PollBuffer() {
    if (!bufferTimer_.isActive()) return;
    const DWORD total = session_.FilePosition(BASS_FILEPOS_END);
    const DWORD downloaded = session_.FilePosition(BASS_FILEPOS_DOWNLOAD);
    const DWORD decoded = session_.FilePosition(BASS_FILEPOS_DECODE);
    const bool unknown = total == static_cast<DWORD>(-1) || total == 0;
    unsigned percent = 0;
    if (!unknown && downloaded != static_cast<DWORD>(-1) && decoded != static_cast<DWORD>(-1) && downloaded > decoded)
        percent = static_cast<unsigned>((static_cast<uint64_t>(downloaded - decoded) * 100) / total);
    // A short file may be downloaded whole while the decoder has already read into it:
    // then there is nothing left to wait for.
    const bool complete = !unknown && downloaded != static_cast<DWORD>(-1) && downloaded >= total;
    const bool tooLong = QDateTime::currentMSecsSinceEpoch() - bufferStart_ > kBufferingLimitMs;
    if (unknown || percent > 75 || complete || tooLong || !session_.HasStream()) {
        auto ready = std::move(ready_);
        StopBuffering();
        if (ready) ready();
        return;
    }
    if (progress_) progress_(percent);
}

InternetStream::StationTexts InternetStream::ReadStationTexts(const std::string& currentTitle) const {
    StationTexts texts{currentTitle, std::nullopt};
    const IcyHeaders headers = ParseIcyHeaders(session_.Tags(BASS_TAG_ICY));
    // The station name is added once, not on every tick.
    if (headers.name) texts.title = WithStationName(texts.title, *headers.name);
    texts.bitrate = headers.bitrate;
    if (const char* meta = session_.Tags(BASS_TAG_META))
        if (std::optional<std::string> song = ParseStreamTitle(meta)) texts.title = *song;
    return texts;
}

}  // namespace tavora
