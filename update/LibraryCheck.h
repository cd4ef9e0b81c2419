#pragma once
// Checking a downloaded module before it goes into the install folder's "system"
// folder: it must be an ELF shared object of the class and machine this program runs
// on, and define (export) every function the player takes from it (the loader's own
// list, AudioLibrary::EntryPointNames). The engine's version check still applies once
// it is loaded.
//
// The file is only read, never loaded: code from the network does not run before it
// has passed.
//
// Threading: any thread.

#include <string>
#include <vector>

namespace tavora {

// The names of the functions and objects the file exports (its dynamic symbol table);
// empty when it is no ELF file.
std::vector<std::string> ExportedNames(const std::string& path);

// "" when the file passes, otherwise why it does not.
std::string CheckLibrary(const std::string& path, const std::vector<std::string>& requiredExports);

}  // namespace tavora
