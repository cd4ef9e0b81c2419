#pragma once
// "--help" and "--version": the conventions a user tries first. They print and end
// the program before anything else runs (no settings store, no single-instance lock,
// no hand-off to a running player). Only the option standing alone counts: the file
// types' commands always glue a switch to the path ("-s/music/--help.mp3").

#include <cstdio>
#include <optional>

namespace tavora {

// The exit status when argv asked for help or the version (after printing to `out`);
// nothing otherwise.
std::optional<int> HandleInformationOption(int argc, const char* const* argv, std::FILE* out);

}  // namespace tavora
