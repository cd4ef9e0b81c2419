#pragma once
// The archive reader as a feature: the command "Start Archive Load" (posted by the
// open, add and drop commands, folder scans and the command line for a ZIP, RAR or
// ALZ file) starts the listing job of the archive's kind, and the exit sweep of the
// temporary folder runs as a shutdown step.
//
// Each kind has its own job kind ("ZipLoad", "RarLoad", "AlzLoad"), whose lock is held
// for the whole run: two archives of one kind are listed one after the other, archives
// of different kinds at the same time. Each job is given its own copy of the path.
// Entry points are looked up in the modules the engine library loaded; an archive
// whose module is missing is not listed (and says so on stderr), as is any archive
// while the install folder is unknown. With the command's value 1 the first row the
// archive adds is played once it has been extracted ("-s" with an archive).
//
// Threading: install on the UI thread before the player starts.

namespace tavora {

struct PlayerContext;

namespace archive_reader {

void Install(PlayerContext& context);

}  // namespace archive_reader
}  // namespace tavora
