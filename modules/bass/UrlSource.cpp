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

#include "DecoderFactory.h"
#include "FfmpegDecoder.h"
#include "IcyProtocol.h"
#include "Mpg123Decoder.h"
#include "VorbisDecoder.h"
#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kOpenTimeout = std::chrono::seconds(10);
constexpr size_t kLiveBufferBytes = 1 << 20;
constexpr size_t kMaxFileBufferBytes = 256u << 20;
constexpr double kPcmBufferSeconds = 2.0;

// State shared by the download thread, the decode thread and the channel.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool cancel = false;
    // download side
    IcyHeaders headers;
    bool downloadDone = false;
    bool downloadFailed = false;
    std::deque<uint8_t> bytes;
    size_t byteCapacity = kLiveBufferBytes;
    int64_t downloaded = 0;  // audio bytes received
    int64_t consumed = 0;    // audio bytes handed to the decoder
    std::string meta;        // last StreamTitle block
    // decode side
    std::deque<float> pcm;
    size_t pcmCapacity = 0;
    bool decodeDone = false;
    std::string inlineTitle;
};

// The decoder's view of the download: blocking reads, no seeking.
class NetworkByteSource final : public ByteSource {
public:
    explicit NetworkByteSource(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    size_t Read(void* buffer, size_t size) override {
        std::unique_lock lock(shared_->mutex);
        const auto deadline = Clock::now() + kOpenTimeout;
        // Wait for data; a server that stops sending ends the stream after the time-out.
        if (!shared_->changed.wait_until(lock, deadline, [&] {
                return shared_->cancel || !shared_->bytes.empty() || shared_->downloadDone;
            }))
            return 0;
        if (shared_->cancel) return 0;
        const size_t n = std::min(size, shared_->bytes.size());
        std::copy_n(shared_->bytes.begin(), n, static_cast<uint8_t*>(buffer));
        shared_->bytes.erase(shared_->bytes.begin(), shared_->bytes.begin() + static_cast<long>(n));
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
    shared->headers.AddLine(std::string_view(data, size * count));
    if (shared->headers.complete) {
        const int64_t length = shared->headers.contentLength;
        shared->byteCapacity = length > 0 ? static_cast<size_t>(std::min<int64_t>(length, kMaxFileBufferBytes))
                                          : kLiveBufferBytes;
    }
    shared->changed.notify_all();
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
                // A full buffer holds the download back (live radio keeps about
                // 1 MB ahead; files are kept whole so the buffer percentage can fill).
                shared.changed.wait(lock, [&] { return shared.cancel || shared.bytes.size() + n <= shared.byteCapacity; });
                if (shared.cancel) return;
                shared.bytes.insert(shared.bytes.end(), audio, audio + n);
                shared.downloaded += static_cast<int64_t>(n);
                shared.changed.notify_all();
            },
            [&shared](std::string meta) {
                std::lock_guard lock(shared.mutex);
                if (!meta.empty()) shared.meta = std::move(meta);
            });
    }
    download->demuxer->Feed(reinterpret_cast<const uint8_t*>(data), size * count);
    std::lock_guard lock(shared.mutex);
    return shared.cancel ? 0 : size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* shared = static_cast<Shared*>(user);
    std::lock_guard lock(shared->mutex);
    return shared->cancel ? 1 : 0;
}

class UrlSource final : public Source {
public:
    UrlSource(std::shared_ptr<Shared> shared, std::thread download) : shared_(std::move(shared)), download_(std::move(download)) {}
    ~UrlSource() override {
        {
            std::lock_guard lock(shared_->mutex);
            shared_->cancel = true;
        }
        shared_->changed.notify_all();
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
            if (got == 0 || shared_->cancel) break;
            shared_->changed.wait(lock, [&] {
                return shared_->cancel || shared_->pcm.size() + got * channels_ <= shared_->pcmCapacity;
            });
            if (shared_->cancel) break;
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
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, shared.get());
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(request);
    curl_easy_cleanup(curl);
    std::lock_guard lock(shared->mutex);
    shared->downloadDone = true;
    shared->downloadFailed = rc != CURLE_OK && shared->downloaded == 0;
    if (shared->headers.status == 0 && status > 0) shared->headers.status = static_cast<int>(status);
    shared->changed.notify_all();
}

bool HasScheme(const std::string& url, const char* scheme) {
    return strncasecmp(url.c_str(), scheme, std::strlen(scheme)) == 0;
}

std::unique_ptr<Source> OpenHttp(const std::string& url, int& error) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    auto shared = std::make_shared<Shared>();
    std::thread download(RunDownload, shared, url);
    auto source = std::make_unique<UrlSource>(shared, std::move(download));
    {
        std::unique_lock lock(shared->mutex);
        const bool answered = shared->changed.wait_until(lock, Clock::now() + kOpenTimeout, [&] {
            return shared->headers.complete || shared->downloadDone;
        });
        if (!answered) {
            error = BASS_ERROR_TIMEOUT;
            return nullptr;
        }
        if (shared->downloadFailed || shared->headers.status < 200 || shared->headers.status >= 300) {
            error = shared->headers.status == 0 ? BASS_ERROR_NONET : BASS_ERROR_FILEOPEN;
            return nullptr;
        }
    }
    // Decide on the decoder from the first bytes; the decoder then reads the stream
    // from its start.
    bool ogg = false;
    {
        std::unique_lock lock(shared->mutex);
        shared->changed.wait_until(lock, Clock::now() + kOpenTimeout,
                                   [&] { return shared->bytes.size() >= 4 || shared->downloadDone; });
        ogg = shared->bytes.size() >= 4 && std::equal(shared->bytes.begin(), shared->bytes.begin() + 4, "OggS");
    }
    auto input = std::make_unique<NetworkByteSource>(shared);
    std::unique_ptr<Decoder> decoder = ogg ? VorbisDecoder::Open(std::move(input)) : Mpg123Decoder::Open(std::move(input));
    if (!decoder) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    source->Start(std::move(decoder));
    return source;
}

// FFmpeg speaks MMS over HTTP (mmsh) and TCP (mmst); "mms://" tries both.
std::unique_ptr<Source> OpenMms(const std::string& url, int& error) {
    const std::string rest = url.substr(6);
    for (const char* scheme : {"mmsh://", "mmst://"}) {
        auto decoder = FfmpegDecoder::Open(scheme + rest, "", 10);
        if (!decoder) continue;
        auto shared = std::make_shared<Shared>();
        shared->downloadDone = true;
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
