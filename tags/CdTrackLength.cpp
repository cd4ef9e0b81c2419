#include "CdTrackLength.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CdaRecord.h"
#include "ContentSniffer.h"
#include "RegularFile.h"

namespace tavora {

bool LooksLikeCdaRecord(const unsigned char* head, size_t size) {
    return media::SniffContent(head, size) == media::Content::CdaRecord;
}

std::optional<double> ReadCdTrackLength(const std::string& cdaPath) {
    std::array<uint8_t, 64> data{};
    size_t size = 0;
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(cdaPath), &std::fclose);
        if (!file) return std::nullopt;
        size = std::fread(data.data(), 1, data.size(), file.get());
    }
    const auto record = audio::ParseCdaRecord(data.data(), size);
    if (!record) return std::nullopt;

    // libcdio's default log handler writes every probe of a missing drive to stderr.
    cdio_loglevel_default = CDIO_LOG_ERROR;
    const char* device = std::getenv("TAVORA_CD_DEVICE");
    std::unique_ptr<CdIo_t, void (*)(CdIo_t*)> cd(cdio_open(device && *device ? device : nullptr, DRIVER_UNKNOWN),
                                                  &cdio_destroy);
    if (!cd) return std::nullopt;
    const auto track = static_cast<track_t>(record->track);
    const track_t first = cdio_get_first_track_num(cd.get());
    const track_t count = cdio_get_num_tracks(cd.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || track < first || track >= first + count ||
        cdio_get_track_format(cd.get(), track) != TRACK_FORMAT_AUDIO)
        return std::nullopt;
    const lsn_t start = cdio_get_track_lsn(cd.get(), track);
    const lsn_t last = cdio_get_track_last_lsn(cd.get(), track);
    if (start == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || last < start) return std::nullopt;
    return static_cast<double>(last - start + 1) / CDIO_CD_FRAMES_PER_SEC;
}

}  // namespace tavora
