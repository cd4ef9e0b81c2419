#pragma once
// The entry points of the three archive modules ("UnZip.so", "UnRar.so",
// "UnAlzipper.so"), looked up by name in the modules the audio library loaded from the
// install folder's "system" folder. A module that is missing leaves its kind absent:
// archives of that kind are not listed.
//
// Threading: a table is a plain copy; each listing job takes its own.

#include <functional>

#include "tavora/archive_api.h"

namespace tavora {

struct ZipFunctions {
    PFN_OpenZip OpenZip = nullptr;
    PFN_GotoFirstFile GotoFirstFile = nullptr;
    PFN_GotoNextFile GotoNextFile = nullptr;
    PFN_GetFileInfo GetFileInfo = nullptr;
    PFN_Unzip Unzip = nullptr;
    PFN_CloseZip CloseZip = nullptr;
    PFN_UnzipEach UnzipEach = nullptr;
    bool Complete() const {
        return OpenZip && GotoFirstFile && GotoNextFile && GetFileInfo && Unzip && CloseZip && UnzipEach;
    }
};

struct RarFunctions {
    PFN_UnRar_list UnRar_list = nullptr;
    PFN_UnRar_extract UnRar_extract = nullptr;
    PFN_UnRar_extract_each UnRar_extract_each = nullptr;
    bool Complete() const { return UnRar_list && UnRar_extract && UnRar_extract_each; }
};

struct AlzFunctions {
    PFN_UnAlzOpen UnAlzOpen = nullptr;
    PFN_UnAlzGetFileList UnAlzGetFileList = nullptr;
    PFN_UnAlzSetCurrentFile UnAlzSetCurrentFile = nullptr;
    PFN_UnAlzExtractCurrentFile UnAlzExtractCurrentFile = nullptr;
    PFN_GetszDestFileName GetszDestFileName = nullptr;
    PFN_GetszDestPathFileName GetszDestPathFileName = nullptr;
    PFN_UnAlzClose UnAlzClose = nullptr;
    bool Complete() const {
        return UnAlzOpen && UnAlzGetFileList && UnAlzSetCurrentFile && UnAlzExtractCurrentFile && GetszDestFileName &&
               GetszDestPathFileName && UnAlzClose;
    }
};

// Finds an exported symbol of a loaded module by file name ("UnZip.so") and symbol
// name; null when the module or the symbol is absent.
using SymbolLookup = std::function<void*(const char* fileName, const char* symbol)>;

ZipFunctions ResolveZipFunctions(const SymbolLookup& lookup);
RarFunctions ResolveRarFunctions(const SymbolLookup& lookup);
AlzFunctions ResolveAlzFunctions(const SymbolLookup& lookup);

}  // namespace tavora
