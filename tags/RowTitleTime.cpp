#include "RowTitleTime.h"

#include "OggTagReader.h"
#include "TagMessages.h"
#include "TrackLength.h"

namespace tavora {

std::optional<RowTitleTime> ReadRowTitleAndTime(const std::string& path, const TitleSettings& settings) {
    if (path.find("://") != std::string::npos) return std::nullopt;
    // An Ogg Vorbis song gives its comments and its length in one open.
    if (TagSourceForPath(path) == TagSource::Ogg) {
        if (const std::optional<OggTagsAndLength> ogg = ReadOggTagsAndLength(path))
            return RowTitleTime{DisplayTitleFromTags(path, ogg->record, settings), FormatTrackTime(ogg->seconds)};
    }
    std::optional<double> seconds;
    try {
        seconds = ReadTrackLength(path);
    } catch (const std::exception& e) {
        // One broken file must not end the pass over the rest of the list.
        LogTagFailure(std::string("length probe gave up: ") + e.what(), path);
    }
    if (!seconds) return std::nullopt;
    return RowTitleTime{ReadDisplayTitle(path, settings), FormatTrackTime(*seconds)};
}

}  // namespace tavora
