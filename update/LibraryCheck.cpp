#include "LibraryCheck.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <set>
#include <utility>


namespace tavora {
namespace {

struct ElfFile {
    explicit ElfFile(const std::string& path) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && elf_version(EV_CURRENT) != EV_NONE) elf = elf_begin(fd, ELF_C_READ, nullptr);
    }
    ~ElfFile() {
        if (elf) elf_end(elf);
        if (fd >= 0) ::close(fd);
    }
    ElfFile(const ElfFile&) = delete;
    ElfFile& operator=(const ElfFile&) = delete;
    int fd = -1;
    Elf* elf = nullptr;
};

// The class and machine of the running program, read from its own file.
bool OwnMachine(int& elfClass, int& machine) {
    static const auto own = [] {
        ElfFile self("/proc/self/exe");
        GElf_Ehdr header;
        if (!self.elf || !gelf_getehdr(self.elf, &header)) return std::pair<int, int>(-1, -1);
        return std::pair<int, int>(gelf_getclass(self.elf), header.e_machine);
    }();
    elfClass = own.first;
    machine = own.second;
    return machine >= 0;
}

std::set<std::string> DefinedDynamicSymbols(Elf* elf) {
    std::set<std::string> names;
    Elf_Scn* section = nullptr;
    while ((section = elf_nextscn(elf, section)) != nullptr) {
        GElf_Shdr header;
        if (!gelf_getshdr(section, &header) || header.sh_type != SHT_DYNSYM || header.sh_entsize == 0) continue;
        Elf_Data* data = elf_getdata(section, nullptr);
        if (!data) continue;
        const size_t count = header.sh_size / header.sh_entsize;
        for (size_t i = 0; i < count; ++i) {
            GElf_Sym symbol;
            if (!gelf_getsym(data, static_cast<int>(i), &symbol)) break;
            const int binding = GELF_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
            if (GELF_ST_VISIBILITY(symbol.st_other) != STV_DEFAULT) continue;
            if (const char* name = elf_strptr(elf, header.sh_link, symbol.st_name)) names.insert(name);
        }
    }
    return names;
}

}  // namespace

std::vector<std::string> ExportedNames(const std::string& path) {
    ElfFile file(path);
    if (!file.elf || elf_kind(file.elf) != ELF_K_ELF) return {};
    const std::set<std::string> names = DefinedDynamicSymbols(file.elf);
    return {names.begin(), names.end()};
}

std::string CheckLibrary(const std::string& path, const std::vector<std::string>& requiredExports) {
    ElfFile file(path);
    if (file.fd < 0) return "cannot be opened";
    if (!file.elf || elf_kind(file.elf) != ELF_K_ELF) return "not an ELF file";
    GElf_Ehdr header;
    if (!gelf_getehdr(file.elf, &header)) return "damaged ELF header";
    if (header.e_type != ET_DYN) return "not a shared library";
    int ownClass = 0, ownMachine = 0;
    if (!OwnMachine(ownClass, ownMachine)) return "this machine's architecture is unknown";
    if (gelf_getclass(file.elf) != ownClass || header.e_machine != ownMachine) return "built for another machine";
    const std::set<std::string> defined = DefinedDynamicSymbols(file.elf);
    if (defined.empty()) return "exports nothing";
    for (const std::string& name : requiredExports)
        if (!defined.count(name)) return "lacks " + name;
    return {};
}

}  // namespace tavora
