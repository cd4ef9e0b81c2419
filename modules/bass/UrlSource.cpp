#include "UrlSource.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "ByteSpool.h"
#include "ContentSniffer.h"
#include "DecoderFactory.h"
#include "FfmpegOnDemand.h"
#include "IcyProtocol.h"
#include "Mpg123Decoder.h"
#include "NetworkDeadline.h"
#include "PendingOpens.h"
#include "VorbisDecoder.h"
#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

using Clock = std::chrono::steady_clock;
// Once playing, a server that sends nothing for this long ends the stream.
constexpr auto kSilenceTimeout = std::chrono::seconds(10);
constexpr size_t kLiveBufferBytes = 1 << 20;
// A file of known size goes to a temporary file, up to this much ahead of the decoder;
// without one, a window of kFileWindowBytes in memory.
constexpr int64_t kMaxFileSpoolBytes = int64_t {2} << 30;
constexpr size_t kFileWindowBytes = 8u << 20;
constexpr double kPcmBufferSeconds = 2.0;

// State shared by the download thread, the decode thread and the channel.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    // Cancelled when the stream is freed or its open is cancelled; its deadline runs
    // while the stream opens.
    std::shared_ptr<NetworkDeadline> net = std::make_shared<NetworkDeadline>();
    // download side
    IcyHeaders headers;
    bool headersTooLarge = false;
    bool downloadDone = false;
    bool downloadFailed = false;
    ByteSpool bytes {kLiveBufferBytes};
    int64_t downloaded = 0;  // audio bytes received
    int64_t consumed = 0;    // audio bytes handed to the decoder
    std::string meta;        // last StreamTitle block
    // decode side
    std::deque<float> pcm;
    size_t pcmCapacity = 0;
    bool decodeDone = false;
    std::string inlineTitle;

    void Cancel() {
        {
            std::lock_guard lock(mutex);
            net->Cancel();
        }
        changed.notify_all();
    }
    bool Cancelled() const { return net->Cancelled(); }
    // Waits (lock held) until done() holds, the stream is cancelled, or the open's
    // deadline passes (during the open) or the server has been silent too long.
    template <typename Done>
    bool WaitFor(std::unique_lock<std::mutex>& lock, Done done) {
        const auto until = std::min(Clock::now() + kSilenceTimeout, net->Deadline());
        return changed.wait_until(lock, until, [&] { return net->ShouldStop() || done(); }) && !net->ShouldStop();
    }
};

// The decoder's view of the download: blocking reads, no seeking.
class NetworkByteSource final : public ByteSource {
public:
    explicit NetworkByteSource(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    size_t Read(void* buffer, size_t size) override {
        std::unique_lock lock(shared_->mutex);
        // Wait for data; a server that stops sending ends the stream after the time-out.
        if (!shared_->WaitFor(lock, [&] { return !shared_->bytes.Empty() || shared_->downloadDone; })) return 0;
        const size_t n = shared_->bytes.Take(static_cast<uint8_t*>(buffer), size);
        shared_->consumed += static_cast<int64_t>(n);
        position_ += static_cast<int64_t>(n);
        shared_->changed.notify_all();
        return n;
    }
    bool Seek(int64_t offset) override { return offset == position_; }
    int64_t Tell() const override { return position_; }
    int64_t Size() const override { return -1; }
    bool Seekable() const override { return false; }

private:
    std::shared_ptr<Shared> shared_;
    int64_t position_ = 0;
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* shared = static_cast<Shared*>(user);
    std::lock_guard lock(shared->mutex);
    IcyHeaders& headers = shared->headers;
    headers.AddLine(std::string_view(data, size * count));
    shared->changed.notify_all();
    if (headers.TooLarge()) {
        shared->headersTooLarge = true;
        return 0;  // ends the transfer
    }
    if (shared->net->ShouldStop()) return 0;
    // A file (its size is known) may be fetched far ahead of the decoder, on disk.
    if (headers.complete && headers.status >= 200 && headers.status < 300 && headers.contentLength > 0 &&
        !shared->bytes.OnFile() && shared->bytes.Empty() &&
        !shared->bytes.SpoolToFile(std::min(headers.contentLength, kMaxFileSpoolBytes)))
        shared->bytes.SetMemoryCapacity(kFileWindowBytes);
    return size * count;
}

struct Download {
    std::shared_ptr<Shared> shared;
    std::unique_ptr<IcyDemuxer> demuxer;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    Shared& shared = *download->shared;
    if (!download->demuxer) {
        std::lock_guard lock(shared.mutex);
        download->demuxer = std::make_unique<IcyDemuxer>(
            shared.headers.metaInterval,
            [&shared](const uint8_t* audio, size_t n) {
                std::unique_lock lock(shared.mutex);
                // A full buffer holds the download back (live radio keeps about 1 MB
                // ahead; files go to disk whole so the buffer percentage can fill).
                shared.changed.wait(lock, [&] { return shared.Cancelled() || shared.bytes.Fits(n); });
                if (shared.Cancelled()) return;
                if (!shared.bytes.Append(audio, n)) {
                    shared.net->Cancel();  // the disk is full: the download cannot go on
                    return;
                }
                shared.downloaded += static_cast<int64_t>(n);
                shared.changed.notify_all();
            },
            [&shared](std::string meta) {
                std::lock_guard lock(shared.mutex);
                if (!meta.empty()) shared.meta = std::move(meta);
            });
    }
    download->demuxer->Feed(reinterpret_cast<const uint8_t*>(data), size * count);
    return shared.net->ShouldStop() ? 0 : size * count;
}

// Called often while bytes flow and about once a second while none do: the transfer
// ends on a cancel, or when the open's deadline passes before the open is done.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const NetworkDeadline*>(user)->ShouldStop() ? 1 : 0;
}

class UrlSource final : public Source {
public:
    UrlSource(std::shared_ptr<Shared> shared, std::thread download) : shared_(std::move(shared)), download_(std::move(download)) {}
    ~UrlSource() override {
        // Ends every wait of both threads, FFmpeg's reads included (its interrupt
        // callback checks the same flag), so that freeing a stream never waits for the
        // network.
        shared_->Cancel();
        if (decode_.joinable()) decode_.join();
        if (download_.joinable()) download_.join();
    }

    bool Start(std::unique_ptr<Decoder> decoder) {
        decoder_ = std::move(decoder);
        rate_ = decoder_->Rate();
        channels_ = decoder_->Channels();
        contentType_ = decoder_->ContentType();
        shared_->pcmCapacity = static_cast<size_t>(kPcmBufferSeconds * rate_) * static_cast<size_t>(channels_);
        decode_ = std::thread([this] { DecodeLoop(); });
        return true;
    }

    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    uint32_t ContentType() const override { return contentType_; }
    bool Live() const override { return true; }
    bool Ended() const override {
        std::lock_guard lock(shared_->mutex);
        return shared_->decodeDone && shared_->pcm.empty();
    }
    size_t Read(float* out, size_t frames) override {
        std::lock_guard lock(shared_->mutex);
        const size_t n = std::min(frames, shared_->pcm.size() / static_cast<size_t>(channels_));
        std::copy_n(shared_->pcm.begin(), n * channels_, out);
        shared_->pcm.erase(shared_->pcm.begin(), shared_->pcm.begin() + static_cast<long>(n * channels_));
        position_ += n;
        shared_->changed.notify_all();
        return n;
    }
    bool Seek(uint64_t frame) override { return frame == position_; }
    uint64_t Position() const override { return position_; }
    int64_t Length() const override { return -1; }

    const char* Tags(uint32_t kind) override {
        std::lock_guard lock(shared_->mutex);
        switch (kind) {
        case BASS_TAG_HTTP: tagText_ = JoinTagList(shared_->headers.httpLines); break;
        case BASS_TAG_ICY:
            if (shared_->headers.icyLines.empty()) return nullptr;
            tagText_ = JoinTagList(shared_->headers.icyLines);
            break;
        case BASS_TAG_META:
            // Chained Ogg radio carries its titles inside the stream; they are offered
            // in the same form as the ICY blocks.
            if (!shared_->meta.empty()) tagText_ = shared_->meta;
            else if (!shared_->inlineTitle.empty()) tagText_ = "StreamTitle='" + shared_->inlineTitle + "';";
            else return nullptr;
            break;
        default: return nullptr;
        }
        return tagText_.c_str();
    }

    int64_t FilePosition(uint32_t mode) const override {
        std::lock_guard lock(shared_->mutex);
        switch (mode) {
        case BASS_FILEPOS_DECODE: return shared_->consumed;
        case BASS_FILEPOS_DOWNLOAD: return shared_->downloaded;
        case BASS_FILEPOS_END: return shared_->headers.contentLength;
        default: return -1;
        }
    }

private:
    void DecodeLoop() {
        std::vector<float> block(1024 * static_cast<size_t>(channels_));
        for (;;) {
            const size_t got = decoder_->Read(block.data(), 1024);
            std::unique_lock lock(shared_->mutex);
            shared_->inlineTitle = decoder_->InlineTitle();
            if (got == 0 || shared_->Cancelled()) break;
            shared_->changed.wait(lock, [&] {
                return shared_->Cancelled() || shared_->pcm.size() + got * channels_ <= shared_->pcmCapacity;
            });
            if (shared_->Cancelled()) break;
            shared_->pcm.insert(shared_->pcm.end(), block.begin(), block.begin() + static_cast<long>(got * channels_));
        }
        std::lock_guard lock(shared_->mutex);
        shared_->decodeDone = true;
    }

    std::shared_ptr<Shared> shared_;
    std::thread download_;
    std::thread decode_;
    std::unique_ptr<Decoder> decoder_;
    int rate_ = 0, channels_ = 0;
    uint32_t contentType_ = 0;
    uint64_t position_ = 0;
    std::string tagText_;
};

void RunDownload(std::shared_ptr<Shared> shared, std::string url) {
    Download download {shared, nullptr};
    CURL* curl = curl_easy_init();
    curl_slist* request = curl_slist_append(nullptr, "Icy-MetaData: 1");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, request);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "TavoraPlayer/1.0");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);   // a silent server ends the stream
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);    // SHOUTcast v1 answers "ICY 200 OK"
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, shared.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, shared->net.get());
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(request);
    curl_easy_cleanup(curl);
    std::lock_guard lock(shared->mutex);
    shared->downloadDone = true;
    shared->downloadFailed = (rc != CURLE_OK && shared->downloaded == 0) || shared->headersTooLarge;
    if (shared->headers.status == 0 && status > 0) shared->headers.status = static_cast<int>(status);
    shared->changed.notify_all();
}

bool HasScheme(const std::string& url, const char* scheme) {
    return strncasecmp(url.c_str(), scheme, std::strlen(scheme)) == 0;
}

// The error of an open that ended before it was done.
int StoppedError(const NetworkDeadline& net) { return net.Cancelled() ? BASS_ERROR_FILEOPEN : BASS_ERROR_TIMEOUT; }

std::unique_ptr<Source> OpenHttp(const std::string& url, int& error) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    auto shared = std::make_shared<Shared>();
    shared->net->StartOpen(NetworkOpenBudget());
    PendingOpen pending([shared] { shared->Cancel(); });
    std::thread download(RunDownload, shared, url);
    auto source = std::make_unique<UrlSource>(shared, std::move(download));
    bool ogg = false;
    {
        std::unique_lock lock(shared->mutex);
        if (!shared->WaitFor(lock, [&] { return shared->headers.complete || shared->downloadDone; })) {
            error = StoppedError(*shared->net);
            return nullptr;
        }
        if (shared->downloadFailed || shared->headers.status < 200 || shared->headers.status >= 300) {
            error = shared->headers.status == 0 ? BASS_ERROR_NONET : BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        // Decide on the decoder from the first bytes; the decoder then reads the stream
        // from its start.
        if (!shared->WaitFor(lock, [&] { return shared->bytes.Buffered() >= 4 || shared->downloadDone; })) {
            error = StoppedError(*shared->net);
            return nullptr;
        }
        uint8_t magic[4] = {};
        ogg = shared->bytes.Peek(magic, 4) == 4 && media::SniffContent(magic, 4) == media::Content::Ogg;
    }
    auto input = std::make_unique<NetworkByteSource>(shared);
    std::unique_ptr<Decoder> decoder = ogg ? VorbisDecoder::Open(std::move(input)) : Mpg123Decoder::Open(std::move(input));
    if (shared->net->ShouldStop()) {
        error = StoppedError(*shared->net);
        return nullptr;
    }
    if (!decoder) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    shared->net->ClearDeadline();  // opened: from now on only a cancel or a silent server ends it
    source->Start(std::move(decoder));
    return source;
}

// FFmpeg speaks MMS over HTTP (mmsh) and TCP (mmst); "mms://" tries both, within one
// deadline.
std::unique_ptr<Source> OpenMms(const std::string& url, int& error) {
    const std::string rest = url.substr(6);
    auto shared = std::make_shared<Shared>();
    shared->downloadDone = true;
    shared->net->StartOpen(NetworkOpenBudget());
    PendingOpen pending([shared] { shared->Cancel(); });
    for (const char* scheme : {"mmsh://", "mmst://"}) {
        auto decoder = OpenWithFfmpeg(scheme + rest, "", shared->net);
        if (shared->net->ShouldStop()) {
            error = StoppedError(*shared->net);
            return nullptr;
        }
        if (!decoder) continue;
        shared->net->ClearDeadline();
        auto source = std::make_unique<UrlSource>(shared, std::thread());
        source->Start(std::move(decoder));
        return source;
    }
    error = BASS_ERROR_FILEOPEN;
    return nullptr;
}

}  // namespace

std::unique_ptr<Source> OpenUrlSource(const std::string& url, uint32_t flags, int& error) {
    if (HasScheme(url, "http://") || HasScheme(url, "https://")) return OpenHttp(url, error);
    if (HasScheme(url, "mms://")) return OpenMms(url, error);
    error = BASS_ERROR_FILEOPEN;
    return nullptr;
}

}  // namespace tavora::audio
