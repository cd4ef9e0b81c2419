#include "DownloadFile.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace tavora {
namespace {

struct Transfer {
    int fd = -1;
    int64_t written = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    int lastPercent = -1;
    const DownloadOptions* options = nullptr;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (t->written + static_cast<int64_t>(bytes) > t->options->maxBytes) {
        t->tooLarge = true;
        return 0;  // ends the transfer
    }
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(t->fd, data + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            t->writeFailed = true;
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    t->written += static_cast<int64_t>(bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (t->options->cancel && t->options->cancel->load()) return 1;  // aborts
    const int percent = ProgressPercent(now, total);
    if (percent != t->lastPercent && t->options->progress) {
        t->lastPercent = percent;
        t->options->progress(percent);
    }
    return 0;
}

// Scheme, host and port of an absolute address, lower case; "" when it is not one.
std::string Origin(const std::string& address) {
    CURLU* url = curl_url();
    if (!url) return {};
    std::string origin;
    if (curl_url_set(url, CURLUPART_URL, address.c_str(), 0) == CURLUE_OK) {
        char* scheme = nullptr;
        char* host = nullptr;
        char* port = nullptr;
        if (curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(url, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(url, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            origin = std::string(scheme) + "://" + host + ":" + port;
            for (char& c : origin) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(url);
    return origin;
}

bool IsRedirect(long status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

int ProgressPercent(int64_t received, int64_t total) {
    if (total <= 0) return 0;
    if (received >= total) return 100;
    return static_cast<int>(received * 100 / total);
}

DownloadResult DownloadFile(const std::string& address, const std::string& target, const DownloadOptions& options) {
    namespace fs = std::filesystem;
    DownloadResult result;
    InitCurlOnce();

    // The temporary file lives beside the target so the final rename stays on one file system.
    const fs::path targetPath(target);
    std::string temp = (targetPath.parent_path() / ("." + targetPath.filename().string() + ".part-XXXXXX")).string();
    Transfer t;
    t.options = &options;
    t.fd = mkostemp(temp.data(), O_CLOEXEC);
    if (t.fd < 0) {
        result.error = "cannot create a file in " + targetPath.parent_path().string();
        return result;
    }

    CURL* curl = curl_easy_init();
    if (!curl) {
        ::close(t.fd);
        ::unlink(temp.c_str());
        result.error = "libcurl could not start";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed here, one at a time, so each can be checked.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options.connectLimit.count()));
    // Under the minimum rate for the whole limit counts as a stall (a server that
    // accepts and never answers, or trickles, included).
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(std::max<int64_t>(1, options.minBytesPerSecond)));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options.stallLimit.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "TavoraPlayer");

    const auto deadline = std::chrono::steady_clock::now() + options.deadline;
    const std::string origin = Origin(address);
    std::string url = address;
    std::string refused;
    CURLcode code = CURLE_OK;
    curl_off_t announced = -1;
    for (int hop = 0;; ++hop) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            code = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        // A redirect's own body is not the file.
        if (hop > 0 && (::ftruncate(t.fd, 0) != 0 || ::lseek(t.fd, 0, SEEK_SET) != 0)) t.writeFailed = true;
        t.written = 0;
        errorText[0] = '\0';
        code = t.writeFailed ? CURLE_WRITE_ERROR : curl_easy_perform(curl);
        result.httpStatus = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
        announced = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        char* next = nullptr;
        if (code != CURLE_OK || !IsRedirect(result.httpStatus) ||
            curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next)
            break;
        if (hop >= 5) {
            refused = "too many redirects";
            break;
        }
        if (origin.empty() || Origin(next) != origin) {
            refused = std::string("redirected to another server: ") + next;
            break;
        }
        url = next;
    }
    curl_easy_cleanup(curl);

    bool complete = false;
    if (!refused.empty()) {
        result.error = refused;
    } else if (t.tooLarge) {
        result.error = "the file is larger than expected";
    } else if (t.writeFailed) {
        result.error = "the file could not be written";
    } else if (code == CURLE_OPERATION_TIMEDOUT) {
        // Too slow for the minimum rate, or past the deadline.
        result.error = std::string("too slow: ") + (errorText[0] ? errorText : curl_easy_strerror(code));
    } else if (code != CURLE_OK) {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    } else if (result.httpStatus != 200) {
        result.error = "the server answered " + std::to_string(result.httpStatus);
    } else if (announced >= 0 && announced != t.written) {
        result.error = "received " + std::to_string(t.written) + " of " + std::to_string(announced) + " bytes";
    } else {
        complete = true;
    }
    if (complete && ::fsync(t.fd) != 0) {
        complete = false;
        result.error = "the file could not be written";
    }
    if (::close(t.fd) != 0 && complete) {
        complete = false;
        result.error = "the file could not be written";
    }
    if (complete && ::rename(temp.c_str(), target.c_str()) != 0) {
        complete = false;
        result.error = "the file could not be put in place";
    }
    if (!complete) ::unlink(temp.c_str());
    result.ok = complete;
    if (complete && options.progress && t.lastPercent != 100) options.progress(100);
    return result;
}

}  // namespace tavora
