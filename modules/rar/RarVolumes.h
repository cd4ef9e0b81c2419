#pragma once
// The files of a RAR volume set, in order, from the name of any one of them:
// "x.part1.rar", "x.part2.rar" ... (any digit width) or "x.rar", "x.r00", "x.r01" ...
// A single archive is a set of one.

#include <string>
#include <vector>

namespace tavora::unrar {

std::vector<std::string> FindVolumes(const std::string& path);

}  // namespace tavora::unrar
