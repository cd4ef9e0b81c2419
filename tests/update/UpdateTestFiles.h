#pragma once
// Files for the update tests: the built modules the loopback server offers, the test
// signing key (tests/update/keys: its secret half is for tests only), and writing and
// reading small files.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "UpdateSignature.h"

namespace tavora::test {

inline const std::filesystem::path kBuiltModules = TAVORA_BUILT_MODULES_DIR;
inline const std::filesystem::path kUpdateKeys = TAVORA_TEST_UPDATE_KEYS_DIR;

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline UpdateSecretSeed TestSeed() {
    const auto seed = ParseKeyHex(ReadFile(kUpdateKeys / "update-test.secret"));
    if (!seed) throw std::runtime_error("the test signing key is unreadable");
    return *seed;
}

inline UpdatePublicKey TestPublicKey() { return PublicKeyOf(TestSeed()); }

// Signs a file the test server offers, as tavora-update-sign does: <file>.sig beside it.
inline void Sign(const std::filesystem::path& file, const UpdateSecretSeed& seed = TestSeed()) {
    const std::string why = SignFile(file.string(), file.filename().string(), file.string() + kSignatureSuffix, seed);
    if (!why.empty()) throw std::runtime_error(why);
}

}  // namespace tavora::test
