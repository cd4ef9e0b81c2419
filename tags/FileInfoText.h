#pragma once
// The file information text of the tag dialogs: size, length, channels, bit rate and
// sample rate of a local audio file, the MP3 dialog's variant led by the file name.
// Threading: safe from any thread.

#include <optional>
#include <string>

namespace tavora {

// nullopt when the file cannot be read as audio (the dialog then keeps its old text).
// Lines end in "\r\n", as the dialogs have always shown them.
std::optional<std::string> BuildFileInfoText(const std::string& path, bool withFileName);

}  // namespace tavora
