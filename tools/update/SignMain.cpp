// tavora-update-sign: makes the signing key of an update server and signs what the
// server offers (see update/UpdateSignature.h for what is signed).
//
//   tavora-update-sign keygen SECRET          writes a new secret key (mode 0600) and
//                                             prints its public half
//   tavora-update-sign public SECRET          prints the public half
//   tavora-update-sign sign SECRET FILE...    writes FILE.sig beside each FILE, signed
//                                             under the file's own name
//   tavora-update-sign verify PUBLIC FILE...  checks each FILE.sig with the public key
//                                             (64 hex digits)
//
// A secret key file holds 64 hex digits (the key's seed). The player trusts the public
// key it was built with (TAVORA_UPDATE_PUBLIC_KEY); tests use tests/update/keys.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "UpdateSignature.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
    std::fprintf(stderr,
                 "usage: tavora-update-sign keygen SECRET | public SECRET | sign SECRET FILE... | "
                 "verify PUBLIC FILE...\n");
    return 2;
}

std::string Hex(const unsigned char* bytes, size_t count) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

bool ReadSeed(const std::string& path, tavora::UpdateSecretSeed& seed) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    const auto parsed = tavora::ParseKeyHex(text.str());
    if (!in || !parsed) {
        std::fprintf(stderr, "tavora-update-sign: %s is not a secret key (64 hex digits)\n", path.c_str());
        return false;
    }
    seed = *parsed;
    return true;
}

int KeyGen(const std::string& path) {
    const tavora::UpdateSecretSeed seed = tavora::NewSecretSeed();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "tavora-update-sign: cannot create %s (it must not exist yet)\n", path.c_str());
        return 1;
    }
    const std::string line = Hex(seed.data(), seed.size()) + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (::close(fd) != 0 || !written) {
        std::fprintf(stderr, "tavora-update-sign: cannot write %s\n", path.c_str());
        return 1;
    }
    const tavora::UpdatePublicKey key = tavora::PublicKeyOf(seed);
    std::printf("%s\n", Hex(key.data(), key.size()).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "keygen" && argc == 3) return KeyGen(argv[2]);
    if (command == "public" && argc == 3) {
        tavora::UpdateSecretSeed seed{};
        if (!ReadSeed(argv[2], seed)) return 1;
        const tavora::UpdatePublicKey key = tavora::PublicKeyOf(seed);
        std::printf("%s\n", Hex(key.data(), key.size()).c_str());
        return 0;
    }
    if (command == "sign" && argc >= 4) {
        tavora::UpdateSecretSeed seed{};
        if (!ReadSeed(argv[2], seed)) return 1;
        int status = 0;
        for (int i = 3; i < argc; ++i) {
            const std::string file = argv[i];
            const std::string why =
                tavora::SignFile(file, fs::path(file).filename().string(), file + tavora::kSignatureSuffix, seed);
            if (!why.empty()) {
                std::fprintf(stderr, "tavora-update-sign: %s: %s\n", file.c_str(), why.c_str());
                status = 1;
            }
        }
        return status;
    }
    if (command == "verify" && argc >= 4) {
        const auto key = tavora::ParseKeyHex(argv[2]);
        if (!key) {
            std::fprintf(stderr, "tavora-update-sign: %s is not a public key (64 hex digits)\n", argv[2]);
            return 1;
        }
        int status = 0;
        for (int i = 3; i < argc; ++i) {
            const std::string file = argv[i];
            const std::string why =
                tavora::CheckSignature(file, fs::path(file).filename().string(), file + tavora::kSignatureSuffix, *key);
            std::printf("%s: %s\n", file.c_str(), why.empty() ? "good signature" : why.c_str());
            if (!why.empty()) status = 1;
        }
        return status;
    }
    return Usage();
}
