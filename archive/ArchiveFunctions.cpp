#include "ArchiveFunctions.h"

#include "AudioLibrary.h"

namespace tavora {
namespace {

template <typename Fn>
void Take(const SymbolLookup& lookup, const char* module, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(lookup(module, name));
}

}  // namespace

#define TAVORA_TAKE(module, table, name) Take(lookup, module, #name, table.name)

ZipFunctions ResolveZipFunctions(const SymbolLookup& lookup) {
    ZipFunctions f;
    TAVORA_TAKE(kUnZipModule, f, OpenZip);
    TAVORA_TAKE(kUnZipModule, f, GotoFirstFile);
    TAVORA_TAKE(kUnZipModule, f, GotoNextFile);
    TAVORA_TAKE(kUnZipModule, f, GetFileInfo);
    TAVORA_TAKE(kUnZipModule, f, Unzip);
    TAVORA_TAKE(kUnZipModule, f, CloseZip);
    TAVORA_TAKE(kUnZipModule, f, UnzipEach);
    return f;
}

RarFunctions ResolveRarFunctions(const SymbolLookup& lookup) {
    RarFunctions f;
    TAVORA_TAKE(kUnRarModule, f, UnRar_list);
    TAVORA_TAKE(kUnRarModule, f, UnRar_extract);
    TAVORA_TAKE(kUnRarModule, f, UnRar_extract_each);
    return f;
}

AlzFunctions ResolveAlzFunctions(const SymbolLookup& lookup) {
    AlzFunctions f;
    TAVORA_TAKE(kUnAlzipperModule, f, UnAlzOpen);
    TAVORA_TAKE(kUnAlzipperModule, f, UnAlzGetFileList);
    TAVORA_TAKE(kUnAlzipperModule, f, UnAlzSetCurrentFile);
    TAVORA_TAKE(kUnAlzipperModule, f, UnAlzExtractCurrentFile);
    TAVORA_TAKE(kUnAlzipperModule, f, GetszDestFileName);
    TAVORA_TAKE(kUnAlzipperModule, f, GetszDestPathFileName);
    TAVORA_TAKE(kUnAlzipperModule, f, UnAlzClose);
    return f;
}

#undef TAVORA_TAKE

}  // namespace tavora
