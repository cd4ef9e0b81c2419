#include "RowTitleTime.h"

#include "TrackLength.h"

namespace tavora {

std::optional<RowTitleTime> ReadRowTitleAndTime(const std::string& path, const TitleSettings& settings) {
    if (path.find("://") != std::string::npos) return std::nullopt;
    const std::optional<double> seconds = ReadTrackLength(path);
    if (!seconds) return std::nullopt;
    return RowTitleTime{ReadDisplayTitle(path, settings), FormatTrackTime(*seconds)};
}

}  // namespace tavora
