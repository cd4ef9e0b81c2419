#include "PlsLoader.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QString>
#include <curl/curl.h>

#include "MediaTypes.h"
#include "PlaylistEntry.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"

namespace tavora {
namespace fs = std::filesystem;

namespace {

// A playlist is a few kilobytes; anything far larger is not one.
constexpr curl_off_t kMaxPlsBytes = 4 * 1024 * 1024;

struct Download {
    std::FILE* file = nullptr;
    curl_off_t written = 0;
};

size_t WriteChunk(char* data, size_t size, size_t count, void* user) {
    auto* d = static_cast<Download*>(user);
    const size_t bytes = size * count;
    d->written += static_cast<curl_off_t>(bytes);
    if (d->written > kMaxPlsBytes) return 0;  // makes curl stop with a write error
    return std::fwrite(data, 1, bytes, d->file);
}

// The file name for a downloaded list: the address after its last "/", kept inside
// the download folder.
std::string DownloadName(const std::string& address) {
    std::string name(FileNameOf(address));
    if (name.empty() || name == "." || name == "..") name = "playlist." + std::string(media::Row(media::Media::Pls).extension);
    return name;
}

}  // namespace

bool IsDownloadablePls(std::string_view source) {
    return source.starts_with("http://") || source.starts_with("Http://") || source.starts_with("HTTP://");
}

std::string PlsDownloadFolder() {
    const QString templates = QStandardPaths::writableLocation(QStandardPaths::TemplatesLocation);
    if (templates.isEmpty()) return {};
    return templates.toStdString() + "/TavoraPlayer";
}

namespace {
// Ends a download once the player is closing.
int StopWhenAsked(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return stop && static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}
}  // namespace

std::optional<std::string> DownloadPls(const std::string& address, const std::atomic<bool>* stop) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::string folder = PlsDownloadFolder();
    if (folder.empty()) return std::nullopt;
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string target = folder + "/" + DownloadName(address);
    // A private partial file: two downloads of the same list never write into one file,
    // and a failed one never leaves half a list under the real name.
    std::string partial = target + ".XXXXXX";
    const int fd = ::mkstemp(partial.data());
    if (fd < 0) return std::nullopt;
    Download d;
    d.file = ::fdopen(fd, "wb");
    if (!d.file) {
        ::close(fd);
        fs::remove(partial, ec);
        return std::nullopt;
    }
    CURL* curl = curl_easy_init();
    CURLcode rc = CURLE_FAILED_INIT;
    if (curl) {
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteChunk);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &d);
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        // Only web addresses: a redirect must not make us read local files.
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "TavoraPlayer");
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, StopWhenAsked);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(stop));
        rc = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
    }
    const bool closed = std::fclose(d.file) == 0;
    if (rc != CURLE_OK || !closed) {
        fs::remove(partial, ec);
        return std::nullopt;
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        return std::nullopt;
    }
    return target;
}

PlsLoadResult LoadPls(PlaylistModel& model, const std::string& source, const std::atomic<bool>* stop) {
    PlsLoadResult result;
    std::string listPath = source;
    const bool downloaded = IsDownloadablePls(source);
    if (downloaded) {
        auto local = DownloadPls(source, stop);
        if (!local) return result;
        listPath = *local;
    }
    auto values = ReadPlsValues(listPath);
    if (!values) return result;
    result.read = true;
    // Relative paths of a local list are relative to its folder; a downloaded list
    // names nothing on this machine but addresses.
    const std::string folder = downloaded ? std::string() : fs::path(listPath).parent_path().string();
    std::vector<NewEntry> rows;
    rows.reserve(values->size());
    for (std::string& value : *values) {
        const bool address = HasUrlScheme(value);
        std::string path = address ? value : ResolveListEntry(value, folder);
        rows.push_back({value, std::string(address ? kTimeUrl : kTimeUnplayable), std::move(path)});
    }
    result.rowsAdded = static_cast<int>(rows.size());
    result.firstIsUrl = !rows.empty() && rows.front().time == kTimeUrl;
    result.firstRow = model.AddEntries(std::move(rows));
    return result;
}

}  // namespace tavora
