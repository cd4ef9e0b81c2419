#pragma once
// Checking the downloaded skin installer against the SHA-256 sum the server publishes
// beside it (the address + ".sha256", in the format of sha256sum: the sum in hex,
// optionally followed by the file name).
//
// Threading: any thread.

#include <optional>
#include <string>

namespace tavora {

// The 64 lower-case hex digits at the start of the text, or nothing when it does not
// start with a sum.
std::optional<std::string> ParseSha256Sum(const std::string& text);

// The file's SHA-256 in lower-case hex, or "" when it cannot be read.
std::string FileSha256(const std::string& path);

// "" when `path` hashes to the sum in the file `sumPath`, otherwise why not.
std::string CheckInstaller(const std::string& path, const std::string& sumPath);

}  // namespace tavora
