// What the update server or a key file may hold: any bytes as a key in hex, and as the
// signature beside a file. Nothing but the signing key's own signature may pass.
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "UpdateSignature.h"

namespace {

// A file in memory, named by its /proc path (the check reads files by name).
struct MemoryFile {
    explicit MemoryFile(const char* name) : fd(memfd_create(name, MFD_CLOEXEC)) {}
    void Set(const uint8_t* data, size_t size) const {
        if (fd < 0 || ftruncate(fd, 0) != 0) return;
        [[maybe_unused]] const ssize_t n = size ? pwrite(fd, data, size, 0) : 0;
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
    int fd;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto key = tavora::ParseKeyHex(text)) {
        size_t digits = 0;
        for (char c : text) digits += std::isxdigit(static_cast<unsigned char>(c)) ? 1 : 0;
        if (digits != 64) __builtin_trap();
    }
    static const tavora::UpdateSecretSeed seed{1, 2, 3};
    static const tavora::UpdatePublicKey key = tavora::PublicKeyOf(seed);
    static const MemoryFile file("UnRar.so");
    static const MemoryFile signature("UnRar.so.sig");
    static const bool written = [] {
        const uint8_t body[] = "module";
        file.Set(body, sizeof body);
        return true;
    }();
    (void)written;
    signature.Set(data, size);
    if (tavora::CheckSignature(file.path(), "UnRar.so", signature.path(), key).empty()) __builtin_trap();  // a forgery
    return 0;
}
