#include "PlaylistJobs.h"

#include <QLoggingCategory>
#include <QString>

#include <algorithm>
#include <optional>
#include <thread>

#include "BackgroundJobs.h"
#include "DisplayTitle.h"
#include "ListEntryReader.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "RowRefresh.h"
#include "RowTitleTime.h"
#include "Settings.h"
#include "StreamProbe.h"

// Quiet unless asked for ("tavora.playlist.load.info=true"): the benchmarks wait for
// the line that ends a list's load.
Q_LOGGING_CATEGORY(lcListLoad, "tavora.playlist.load", QtWarningMsg)

namespace tavora {

namespace {
const char* const kTitleTimeRefresh = "TitleTimeRefresh";
const char* const kTitleRefresh = "TitleRefresh";
const char* const kM3uLoad = "M3uLoad";
const char* const kPlsLoad = "PlsLoad";
const char* const kFolderScan = "FolderScan";

// Songs read at once by list loads and title passes: reading is mostly waiting for the disk on a cold cache
// and decoding headers on a warm one, so a few threads keep both cores busy.
int ListReaders() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 2u, 4u));
}
}  // namespace

PlaylistJobs::PlaylistJobs(BackgroundJobs& jobs, PlaylistModel& model, const StreamProbe& probe,
                           const Settings& settings, PlaylistJobHooks hooks)
    : jobs_(jobs), model_(model), probe_(probe), settings_(settings), hooks_(std::move(hooks)) {}

void PlaylistJobs::ListChanged() const {
    if (hooks_.listChanged) hooks_.listChanged();
}

void PlaylistJobs::StartTitlePass(int firstRow) {
    if (firstRow < 0) return;
    jobs_.Start(kTitleTimeRefresh, [this, firstRow, settings = TitleSettingsFrom(settings_.Values())](
                                        const std::atomic<bool>& stop) {
        RefreshRows(
            model_, firstRow,
            [&settings](const std::string& path) -> std::optional<RowText> {
                auto row = ReadRowTitleAndTime(path, settings);
                if (!row) return std::nullopt;
                return RowText{row->title, row->time};
            },
            &stop, ListReaders());
        if (!stop) ListChanged();
    });
}

void PlaylistJobs::StartRetitleAll(const TitleSettings& settings) {
    jobs_.Start(kTitleRefresh, [this, settings](const std::atomic<bool>& stop) {
        RefreshRows(
            model_, 0,
            [&settings](const std::string& path) -> std::optional<RowText> {
                // A stream row keeps its address title; re-titling reads no lengths.
                if (IsStreamAddress(path)) return std::nullopt;
                return RowText{ReadDisplayTitle(path, settings), std::nullopt};
            },
            &stop, ListReaders());
        if (!stop) ListChanged();
    });
}

M3uLoadServices PlaylistJobs::M3uServices(const std::atomic<bool>& stop) const {
    M3uLoadServices services;
    services.stop = &stop;
    services.readers = ListReaders();
    services.readEntry = [this, settings = TitleSettingsFrom(settings_.Values())](const std::string& path) {
        return ReadListEntry(probe_, path, settings);
    };
    services.playFirstRow = [this](int row) {
        if (hooks_.playRow) hooks_.playRow(row);
    };
    return services;
}

M3uLoadResult PlaylistJobs::LoadM3uWithin(M3uLoadMode mode, const std::string& path,
                                          std::atomic<bool>* playFirstAdded, const std::atomic<bool>& stop) {
    M3uLoader loader(model_, M3uServices(stop), jobs_.KindLock(kM3uLoad));
    const M3uLoadResult result = loader.LoadM3u(mode, path, playFirstAdded);
    ListChanged();
    // Every row of the list is in with its title and length.
    if (result.opened && !stop)
        qCInfo(lcListLoad).noquote() << "list pass done:" << result.rowsAdded << "rows from" << QString::fromStdString(path);
    return result;
}

void PlaylistJobs::StartM3uLoad(M3uLoadMode mode, std::string path, std::atomic<bool>* playFirstAdded,
                                std::function<void(const M3uLoadResult&)> done) {
    // No kind lock around the job: the loader holds the M3U lock itself.
    jobs_.Start({}, [this, mode, path = std::move(path), playFirstAdded, done = std::move(done)](
                        const std::atomic<bool>& stop) {
        const M3uLoadResult result = LoadM3uWithin(mode, path, playFirstAdded, stop);
        if (done && !stop) done(result);
    });
}

void PlaylistJobs::StartPlsLoad(std::string source, std::function<void(const PlsLoadResult&)> done) {
    jobs_.Start(kPlsLoad, [this, source = std::move(source), done = std::move(done)](const std::atomic<bool>& stop) {
        const PlsLoadResult result = LoadPls(model_, source, &stop);
        ListChanged();
        if (done && !stop) done(result);
    });
}

void PlaylistJobs::StartFolderScan(std::string folder, std::function<void(const FolderScanResult&)> done,
                                   std::function<void(const std::string& archivePath)> archiveFound) {
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        folderQueue_.push_back({std::move(folder), std::move(done), std::move(archiveFound)});
    }
    jobs_.Start(kFolderScan, [this](const std::atomic<bool>& stop) {
        FolderRequest request;
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            if (folderQueue_.empty()) return;
            request = std::move(folderQueue_.front());
            folderQueue_.pop_front();
        }
        model_.GetCount();
        const FolderScanResult result = ScanFolder(model_, request.folder, request.archiveFound, &stop);
        if (stop || !request.done) return;
        request.done(result);
    });
}

}  // namespace tavora
