#include "InformationOptions.h"

#include <cstring>

#ifndef TAVORA_VERSION
#define TAVORA_VERSION "unknown"
#endif

namespace tavora {
namespace {

const char* const kHelp =
    "Usage: tavoraplayer [SWITCH]\n"
    "       tavoraplayer --help | --version\n"
    "\n"
    "TavoraPlayer (타보라 플레이어), a skinned audio player.\n"
    "Only one player runs at a time: a later launch hands its switch to the running\n"
    "player and ends. The switch is glued to its path, without a space:\n"
    "\n"
    "  -sPATH      open PATH (a song or an archive); it plays when the player was\n"
    "              set to play files opened from the file manager, else it is added\n"
    "  -addPATH    add PATH to the playlist without touching playback\n"
    "  -listPATH   load the M3U playlist PATH\n"
    "  -plsPATH    load the PLS playlist PATH\n"
    "\n"
    "Without a switch the playlist of the last session is restored.\n"
    "\n"
    "  --help      show this text and end\n"
    "  --version   show the version and end\n"
    "\n"
    "Environment: TAVORA_REGISTRY names the settings store (default\n"
    "$XDG_CONFIG_HOME/TavoraPlayer/registry.db); tavora-reg reads and edits it.\n"
    "See tavoraplayer(1).\n";

}  // namespace

std::optional<int> HandleInformationOption(int argc, const char* const* argv, std::FILE* out) {
    if (argc != 2 || !argv[1]) return std::nullopt;
    if (!std::strcmp(argv[1], "--help")) {
        std::fputs(kHelp, out);
        return 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::fprintf(out, "tavoraplayer %s\n", TAVORA_VERSION);
        return 0;
    }
    return std::nullopt;
}

}  // namespace tavora
