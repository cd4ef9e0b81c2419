#pragma once
// Checking a downloaded module before it goes into the install folder's "system"
// folder: it must be an ELF shared object of the class and machine this program runs
// on, and define (export) every function the player takes from it. The engine's
// version check still applies once it is loaded.
//
// The file is only read, never loaded: code from the network does not run before it
// has passed.
//
// Threading: any thread.

#include <string>
#include <vector>

namespace tavora {

// The exported functions the player needs from a module ("bass.so", "UnRar.so" ...);
// empty for modules it only loads.
std::vector<std::string> RequiredExports(const std::string& moduleName);

// "" when the file passes, otherwise why it does not.
std::string CheckLibrary(const std::string& path, const std::vector<std::string>& requiredExports);

}  // namespace tavora
