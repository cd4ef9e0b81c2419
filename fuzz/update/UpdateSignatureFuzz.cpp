// What the update server or a key file may hold: any bytes as a key in hex, and as the
// signature beside a file. Nothing but the signing key's own signature may pass.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "UpdateSignature.h"

namespace {

std::string Scratch(const char* name) {
    static const std::string folder = [] {
        char path[] = "/tmp/tavora-fuzz-sig-XXXXXX";
        const char* made = mkdtemp(path);
        return std::string(made ? made : "/tmp");
    }();
    return folder + "/" + name;
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

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
    const std::string file = Scratch("UnRar.so");
    const std::string signature = Scratch("UnRar.so.sig");
    static const bool written = [&] {
        const uint8_t body[] = "module";
        Write(file, body, sizeof body);
        return true;
    }();
    (void)written;
    Write(signature, data, size);
    if (tavora::CheckSignature(file, "UnRar.so", signature, key).empty()) __builtin_trap();  // a forgery
    return 0;
}
