#pragma once
// One step of the title-and-time pass over the playlist: the new title and time text of
// a row, computed from its path alone so the pass itself is a loop over the rows.
//
//   for each row from the first:
//       if (auto r = ReadRowTitleAndTime(row.path, settings)) row.title = r->title, row.time = r->time;
//
// Threading: safe from any thread (the pass runs on a worker).

#include <optional>
#include <string>

#include "DisplayTitle.h"

namespace tavora {

struct RowTitleTime {
    std::string title;
    std::string time;  // "%02d:%02d"
};

// nullopt when the row must stay as it is: the path is an internet address (its "URL" mark
// and address title are kept) or no decoder can read a length from the file.
std::optional<RowTitleTime> ReadRowTitleAndTime(const std::string& path, const TitleSettings& settings);

}  // namespace tavora
