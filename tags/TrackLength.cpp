#include "TrackLength.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

#include <mpg123.h>
#include <taglib/asffile.h>
#include <taglib/tfilestream.h>
#include <taglib/wavfile.h>
#include <vorbis/vorbisfile.h>

#include "CdTrackLength.h"
#include "ContentSniffer.h"
#include "MediaTypes.h"
#include "MpegHeaderLength.h"
#include "RegularFile.h"

namespace tavora {
namespace {

enum class Container { Ogg, Wave, Asf, Mpeg, CdTrack, Unknown };

Container Sniff(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    if (!file) return Container::Unknown;
    std::array<unsigned char, media::kSniffBytes> head{};
    const size_t n = std::fread(head.data(), 1, head.size(), file.get());
    switch (media::SniffContent(head.data(), n)) {
    case media::Content::Ogg: return Container::Ogg;
    case media::Content::Wave: return Container::Wave;
    case media::Content::Asf: return Container::Asf;
    case media::Content::CdaRecord: return Container::CdTrack;
    case media::Content::Id3:
    case media::Content::MpegSync: return Container::Mpeg;
    default: break;
    }
    return media::IsMpegByName(path) ? Container::Mpeg : Container::Unknown;
}

ssize_t ReadStdio(void* file, void* buffer, size_t size) {
    auto* f = static_cast<std::FILE*>(file);
    const size_t n = std::fread(buffer, 1, size, f);
    return n == 0 && std::ferror(f) ? -1 : static_cast<ssize_t>(n);
}
off_t SeekStdio(void* file, off_t offset, int whence) {
    auto* f = static_cast<std::FILE*>(file);
    return fseeko(f, offset, whence) == 0 ? ftello(f) : -1;
}
void CloseStdio(void* file) { std::fclose(static_cast<std::FILE*>(file)); }

std::optional<AudioProbe> ProbeMpeg(const std::string& path) {
    // The headers tell the length of almost every file without reading it through.
    if (std::optional<AudioProbe> quick = ReadMpegHeaderLength(path)) return quick;
    static std::once_flag init;
    std::call_once(init, [] { mpg123_init(); });
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> mh(mpg123_new(nullptr, &err), &mpg123_delete);
    if (!mh) return std::nullopt;
    mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // mpg123 reads a frame header and a frame body per call; through stdio's buffer the scan
    // of a song costs a few system calls instead of two per frame.
    std::FILE* file = OpenRegularFile(path);
    if (!file) return std::nullopt;
    mpg123_replace_reader_handle(mh.get(), &ReadStdio, &SeekStdio, &CloseStdio);
    // From here mpg123 owns the file and closes it through CloseStdio.
    if (mpg123_open_handle(mh.get(), file) != MPG123_OK) return std::nullopt;
    std::optional<AudioProbe> probe;
    mpg123_frameinfo info{};
    // The scan walks every frame, so VBR files without a Xing header get their exact length.
    if (mpg123_scan(mh.get()) == MPG123_OK && mpg123_info(mh.get(), &info) == MPG123_OK && info.rate > 0) {
        const off_t samples = mpg123_length(mh.get());
        if (samples > 0) {
            probe = AudioProbe{static_cast<double>(samples) / static_cast<double>(info.rate),
                               static_cast<int>(info.rate), info.mode == MPG123_M_MONO ? 1 : 2};
        }
    }
    mpg123_close(mh.get());
    return probe;
}

std::optional<AudioProbe> ProbeOgg(const std::string& path) {
    std::FILE* file = OpenRegularFile(path);
    if (!file) return std::nullopt;
    OggVorbis_File vf;
    // OV_CALLBACKS_DEFAULT closes the file with ov_clear; a failed open leaves it to us.
    if (ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        return std::nullopt;
    }
    std::optional<AudioProbe> probe;
    const double seconds = ov_time_total(&vf, -1);
    const vorbis_info* info = ov_info(&vf, -1);
    if (seconds >= 0 && info) probe = AudioProbe{seconds, static_cast<int>(info->rate), info->channels};
    ov_clear(&vf);
    return probe;
}

template <typename File>
std::optional<AudioProbe> ProbeWithTagLib(const std::string& path) {
    const int fd = OpenRegularFileFd(path);
    if (fd < 0) return std::nullopt;
    TagLib::FileStream stream(fd, true);  // closes fd
    File file(&stream, true, TagLib::AudioProperties::Accurate);
    const TagLib::AudioProperties* p = file.isValid() ? file.audioProperties() : nullptr;
    if (!p || p->sampleRate() <= 0) return std::nullopt;
    return AudioProbe{p->lengthInMilliseconds() / 1000.0, p->sampleRate(), p->channels()};
}

}  // namespace

std::optional<AudioProbe> ProbeAudioFile(const std::string& path) {
    switch (Sniff(path)) {
    case Container::Ogg: return ProbeOgg(path);
    case Container::Wave: return ProbeWithTagLib<TagLib::RIFF::WAV::File>(path);
    case Container::Asf: return ProbeWithTagLib<TagLib::ASF::File>(path);
    case Container::Mpeg: return ProbeMpeg(path);
    case Container::CdTrack:
        // Red Book audio: always 44.1 kHz stereo.
        if (const auto seconds = ReadCdTrackLength(path)) return AudioProbe{*seconds, 44100, 2};
        return std::nullopt;
    case Container::Unknown: break;
    }
    return std::nullopt;
}

std::optional<double> ReadTrackLength(const std::string& path) {
    if (auto probe = ProbeAudioFile(path)) return probe->seconds;
    return std::nullopt;
}

std::string FormatTrackTime(double seconds) {
    // Anything past a million hours is a broken header, not a song.
    const double clamped = std::isfinite(seconds) && seconds > 0 ? std::min(seconds, 3.6e9) : 0;
    const auto whole = static_cast<long long>(clamped);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace tavora
