// basscd.so: audio-CD tracks named by the RIFF "CDDA" records a CD drive shows for them.
// The drive is $TAVORA_CD_DEVICE (a device node or a CD image such as a .cue/.bin pair)
// or else the default CD drive.

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#include "CdaRecord.h"
#include "ForeignStream.h"
#include "RegularFile.h"

using namespace tavora::audio;

namespace {

constexpr DWORD kFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4;  // 588 stereo 16-bit frames

struct CdTrack {
    CdIo_t* cd = nullptr;
    lsn_t first = 0;
    QWORD frames = 0;
    QWORD position = 0;
    std::vector<uint8_t> sector = std::vector<uint8_t>(CDIO_CD_FRAMESIZE_RAW);

    ~CdTrack() { cdio_destroy(cd); }

    DWORD Read(float* out, DWORD wanted) {
        DWORD done = 0;
        while (done < wanted && position < frames) {
            const lsn_t lsn = first + static_cast<lsn_t>(position / kFramesPerSector);
            const DWORD offset = static_cast<DWORD>(position % kFramesPerSector);
            // A sector that cannot be read (scratched disc, short image) ends the track.
            if (cdio_read_audio_sectors(cd, sector.data(), lsn, 1) != DRIVER_OP_SUCCESS) {
                frames = position;
                break;
            }
            const DWORD n = std::min<DWORD>(wanted - done, std::min<QWORD>(kFramesPerSector - offset, frames - position));
            const uint8_t* p = sector.data() + offset * 4;
            for (DWORD i = 0; i < n * 2; ++i)
                out[done * 2 + i] = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8)) / 32768.0f;
            done += n;
            position += n;
        }
        return done;
    }
    BOOL Seek(QWORD frame) {
        position = std::min(frame, frames);
        return TRUE;
    }
    QWORD Position() const { return position; }
    QWORD Length() const { return frames; }
};

bool ReadRecord(const char* path, CdaRecord& record) {
    FILE* file = tavora::OpenRegularFile(path);
    if (!file) return false;
    uint8_t data[64];
    const size_t size = std::fread(data, 1, sizeof data, file);
    std::fclose(file);
    const auto parsed = ParseCdaRecord(data, size);
    if (!parsed) return false;
    record = *parsed;
    return true;
}

}  // namespace

extern "C" HSTREAM BASS_CD_StreamCreateFile(const char* file, DWORD flags) {
    CdaRecord record;
    if (!file || !ReadRecord(file, record)) {
        TAVORA_SetError(file ? BASS_ERROR_FILEFORM : BASS_ERROR_FILEOPEN);
        return 0;
    }
    cdio_loglevel_default = CDIO_LOG_ERROR;
    const char* device = std::getenv("TAVORA_CD_DEVICE");
    CdIo_t* cd = cdio_open(device && *device ? device : nullptr, DRIVER_UNKNOWN);
    if (!cd) {
        TAVORA_SetError(BASS_ERROR_DEVICE);
        return 0;
    }
    const track_t track = static_cast<track_t>(record.track);
    const track_t firstTrack = cdio_get_first_track_num(cd);
    const track_t tracks = cdio_get_num_tracks(cd);
    if (firstTrack == CDIO_INVALID_TRACK || track < firstTrack || track >= firstTrack + tracks ||
        cdio_get_track_format(cd, track) != TRACK_FORMAT_AUDIO) {
        cdio_destroy(cd);
        TAVORA_SetError(BASS_ERROR_NOTAVAIL);
        return 0;
    }
    const lsn_t first = cdio_get_track_lsn(cd, track);
    const lsn_t last = cdio_get_track_last_lsn(cd, track);
    if (first == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || last < first) {
        cdio_destroy(cd);
        TAVORA_SetError(BASS_ERROR_NOTAVAIL);
        return 0;
    }
    auto* t = new CdTrack;
    t->cd = cd;
    t->first = first;
    t->frames = static_cast<QWORD>(last - first + 1) * kFramesPerSector;
    return CreateForeignStream(t, 44100, 2, BASS_CTYPE_STREAM_CD, flags);
}
