#pragma once
// Signatures on what the update server offers. Every file the player or its helpers
// fetch to install or run ("UnRar.so", "TavoraUpdateSkin", "TavoraSkins.zip") comes
// with a detached Ed25519 signature beside it on the server: the file's address +
// ".sig", exactly 64 bytes. Nothing is installed, loaded or run unless the signature
// verifies with the public key built into the program (UpdateKey.h, set by the build
// setting TAVORA_UPDATE_PUBLIC_KEY).
//
// What is signed (Ed25519ph, libsodium's multi-part signing, which hashes with
// SHA-512 as it reads): the line "TavoraPlayer update 1", the file's name on the
// server and a newline, then the file's bytes. The name is part of it so that a
// signed file cannot be served under another name ("UnZip.so" as "UnRar.so").
//
// tools/update/SignMain.cpp (tavora-update-sign) makes keys and signatures.
//
// Threading: any thread.

#include <array>
#include <optional>
#include <string>

#include "DownloadFile.h"

namespace tavora {

inline constexpr const char* kSignatureSuffix = ".sig";
inline constexpr size_t kSignatureBytes = 64;

using UpdatePublicKey = std::array<unsigned char, 32>;
using UpdateSecretSeed = std::array<unsigned char, 32>;

// The key this build trusts.
UpdatePublicKey TrustedUpdateKey();

// 64 hex digits (surrounding white space allowed) → 32 bytes; nothing otherwise.
std::optional<std::array<unsigned char, 32>> ParseKeyHex(const std::string& text);

// "" when `signaturePath` holds a valid signature of the file at `path` under the
// server name `name` by `key`; otherwise why not.
std::string CheckSignature(const std::string& path, const std::string& name, const std::string& signaturePath,
                           const UpdatePublicKey& key);

// Signs the file at `path` as `name` with the key made from `seed` and writes the 64
// bytes to `signaturePath`. "" on success, otherwise why not.
std::string SignFile(const std::string& path, const std::string& name, const std::string& signaturePath,
                     const UpdateSecretSeed& seed);

// Fetches `address` and its signature (address + ".sig") and puts the file at
// `target` only when the signature verifies for `name` under `key`. Until then the
// file lies under a hidden name beside the target; whatever fails is deleted, and the
// target is left as it was. `options` applies to both transfers (the signature's
// progress is not reported).
DownloadResult DownloadSignedFile(const std::string& address, const std::string& target, const std::string& name,
                                  const DownloadOptions& options, const UpdatePublicKey& key);

// A new random secret key (the signing tool's "keygen").
UpdateSecretSeed NewSecretSeed();

// The public half of the key made from `seed`.
UpdatePublicKey PublicKeyOf(const UpdateSecretSeed& seed);

}  // namespace tavora
