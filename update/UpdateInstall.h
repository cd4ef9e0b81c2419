#pragma once
// Fetching what the install lacks, as a feature:
// - after the modules are loaded at start-up, the missing ones this install is made of
//   are fetched in the download window (system mode) and loaded once more;
// - "Auto Update Skin" (sent by the skin choice when no skin is installed) fetches and
//   runs the skin installer (skin mode, for the rest of the run);
// - the background updater "TavoraUpdate" beside the player is started at every start.
//
// Threading: UI thread, before the player starts.

namespace tavora {

struct PlayerContext;

namespace update {

void Install(PlayerContext& context);

}  // namespace update
}  // namespace tavora
