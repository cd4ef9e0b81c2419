#include "UpdateSignature.h"

#include <sodium.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "UpdateKey.h"

namespace tavora {
namespace {

constexpr const char* kContext = "TavoraPlayer update 1\n";

bool SodiumReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = sodium_init() >= 0; });
    return ready;
}

// Feeds the context, the name and the file's bytes into the signing state.
bool HashInto(crypto_sign_state& state, const std::string& path, const std::string& name) {
    crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(kContext), std::char_traits<char>::length(kContext));
    const std::string line = name + "\n";
    crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(line.data()), line.size());
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<char> buffer(64 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got > 0) crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<unsigned long long>(got));
    }
    return in.eof() && !in.bad();
}

}  // namespace

UpdatePublicKey TrustedUpdateKey() {
    static const UpdatePublicKey key = [] {
        const auto parsed = ParseKeyHex(kUpdatePublicKeyHex);
        return parsed ? *parsed : UpdatePublicKey{};  // the build checks the setting
    }();
    return key;
}

std::optional<std::array<unsigned char, 32>> ParseKeyHex(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    if (end - begin != 64) return std::nullopt;
    std::array<unsigned char, 32> key{};
    for (size_t i = 0; i < 32; ++i) {
        int value = 0;
        for (size_t j = 0; j < 2; ++j) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[begin + 2 * i + j])));
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (digit < 0) return std::nullopt;
            value = value * 16 + digit;
        }
        key[i] = static_cast<unsigned char>(value);
    }
    return key;
}

std::string CheckSignature(const std::string& path, const std::string& name, const std::string& signaturePath,
                           const UpdatePublicKey& key) {
    if (!SodiumReady()) return "the signature cannot be checked (libsodium did not start)";
    std::ifstream in(signaturePath, std::ios::binary);
    if (!in) return "no signature";
    unsigned char signature[kSignatureBytes + 1];
    in.read(reinterpret_cast<char*>(signature), sizeof signature);
    if (in.gcount() != static_cast<std::streamsize>(kSignatureBytes)) return "the signature is not 64 bytes";
    crypto_sign_state state;
    crypto_sign_init(&state);
    if (!HashInto(state, path, name)) return "cannot be read";
    if (crypto_sign_final_verify(&state, signature, key.data()) != 0) return "wrong signature";
    return {};
}

std::string SignFile(const std::string& path, const std::string& name, const std::string& signaturePath,
                     const UpdateSecretSeed& seed) {
    if (!SodiumReady()) return "libsodium did not start";
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey, seed.data());
    crypto_sign_state state;
    crypto_sign_init(&state);
    unsigned char signature[crypto_sign_BYTES];
    const bool read = HashInto(state, path, name);
    const bool signedOk = read && crypto_sign_final_create(&state, signature, nullptr, secretKey) == 0;
    sodium_memzero(secretKey, sizeof secretKey);
    if (!read) return "cannot read " + path;
    if (!signedOk) return "signing failed";
    std::ofstream out(signaturePath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(signature), sizeof signature);
    out.close();
    if (!out) return "cannot write " + signaturePath;
    return {};
}

DownloadResult DownloadSignedFile(const std::string& address, const std::string& target, const std::string& name,
                                  const DownloadOptions& options, const UpdatePublicKey& key) {
    namespace fs = std::filesystem;
    const fs::path targetPath(target);
    const std::string hidden = (targetPath.parent_path() / ("." + targetPath.filename().string())).string();
    const std::string unverified = hidden + ".unverified";
    const std::string signature = hidden + kSignatureSuffix;
    std::error_code ec;
    DownloadResult result = DownloadFile(address, unverified, options);
    if (result.ok) {
        DownloadOptions small = options;
        small.progress = nullptr;
        small.maxBytes = 4096;
        const DownloadResult got = DownloadFile(address + kSignatureSuffix, signature, small);
        std::string why = got.ok ? CheckSignature(unverified, name, signature, key) : "signature: " + got.error;
        if (why.empty() && std::rename(unverified.c_str(), target.c_str()) != 0) why = "the file could not be put in place";
        if (!why.empty()) {
            result.ok = false;
            result.error = why;
        }
    }
    fs::remove(signature, ec);
    fs::remove(unverified, ec);  // never installed, never run
    return result;
}

UpdateSecretSeed NewSecretSeed() {
    UpdateSecretSeed seed{};
    if (SodiumReady()) randombytes_buf(seed.data(), seed.size());
    return seed;
}

UpdatePublicKey PublicKeyOf(const UpdateSecretSeed& seed) {
    UpdatePublicKey publicKey{};
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    if (SodiumReady()) crypto_sign_seed_keypair(publicKey.data(), secretKey, seed.data());
    sodium_memzero(secretKey, sizeof secretKey);
    return publicKey;
}

}  // namespace tavora
