#pragma once
// Helpers shared by the playlist tests.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlaylistModel.h"
#include "TempFolder.h"

namespace tavora::test {

inline std::vector<std::string> Titles(const PlaylistModel& model) {
    std::vector<std::string> titles;
    for (const auto& e : model.Entries()) titles.push_back(e.title);
    return titles;
}

}  // namespace tavora::test
