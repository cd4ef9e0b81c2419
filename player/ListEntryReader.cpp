#include "ListEntryReader.h"

#include "MpegHeaderLength.h"
#include "OggTagReader.h"
#include "PlaylistEntry.h"
#include "StreamProbe.h"

namespace tavora {

namespace {

// Whole seconds as the engine reports a length (its seconds are a float).
long long WholeSeconds(double seconds) {
    const float engineSeconds = static_cast<float>(seconds);
    return engineSeconds > 0 ? static_cast<long long>(engineSeconds) : 0;
}

}  // namespace

std::optional<M3uEntryInfo> ReadListEntry(const StreamProbe& probe, const std::string& path,
                                          const TitleSettings& settings) {
    // An MPEG file whose headers tell its length is one the engine opens; the engine
    // would walk all its frames for the same length.
    if (!IsStreamAddress(path)) {
        if (const std::optional<AudioProbe> quick = ReadMpegHeaderLength(path))
            return M3uEntryInfo{ReadDisplayTitle(path, settings), WholeSeconds(quick->seconds)};
        // An Ogg Vorbis file opened once for its comments and its length, as the engine's
        // decoder would open it.
        if (const std::optional<OggTagsAndLength> ogg = ReadOggTagsAndLength(path)) {
            std::string title = TagSourceForPath(path) == TagSource::Ogg ? DisplayTitleFromTags(path, ogg->record, settings)
                                                                          : ReadDisplayTitle(path, settings);
            return M3uEntryInfo{std::move(title), WholeSeconds(ogg->seconds)};
        }
    }
    const std::optional<ProbedStream> opened = probe.Probe(path);
    if (!opened) return std::nullopt;
    probe.Free(opened->handle);
    if (IsStreamAddress(path)) return M3uEntryInfo{};
    return M3uEntryInfo{ReadDisplayTitle(path, settings), opened->lengthSeconds};
}

}  // namespace tavora
