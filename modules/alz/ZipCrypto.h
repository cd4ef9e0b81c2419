#pragma once
// The traditional PKWARE stream cipher ("ZIP 2.0" encryption) that ALZ uses: three
// 32-bit keys mixed by CRC-32 steps; every byte is decrypted and then mixed in.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavora::alz {

class ZipCrypto {
public:
    explicit ZipCrypto(const std::string& password);
    void Decrypt(unsigned char* data, size_t size);

private:
    void Mix(unsigned char plain);
    uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// Decrypts the 12-byte header and checks its last byte against the entry's CRC.
bool PasswordMatches(ZipCrypto& cipher, const unsigned char header[12], uint32_t crc);

}  // namespace tavora::alz
