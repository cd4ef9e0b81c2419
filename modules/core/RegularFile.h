#pragma once
// Opening songs: only regular files are read. A FIFO named "x.mp3" would block open()
// until a writer appears, a device (a link to /dev/zero) never ends, a folder reads
// nothing; all of them must fail at once, like a file that does not open.
//
// Threading: plain functions, any thread.

#include <cstdio>
#include <string>

namespace tavora {

// A read-only descriptor (close-on-exec) of path when it names a regular file, links
// followed; -1 otherwise. Never blocks on FIFOs or devices.
int OpenRegularFileFd(const std::string& path);
// The same as a stdio stream ("rb"); nullptr otherwise.
std::FILE* OpenRegularFile(const std::string& path);
// Whether path names a regular file, for libraries that open the path themselves.
bool IsRegularFile(const std::string& path);

}  // namespace tavora
