#include "ZipCrypto.h"

#include <zlib.h>

namespace tavora::alz {

namespace {

uint32_t CrcStep(uint32_t crc, unsigned char b) {
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(const std::string& password) {
    for (unsigned char c : password) Mix(c);
}

void ZipCrypto::Mix(unsigned char plain) {
    keys_[0] = CrcStep(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = CrcStep(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
}

void ZipCrypto::Decrypt(unsigned char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const uint32_t t = (keys_[2] | 2) & 0xFFFF;
        const auto k = static_cast<unsigned char>((t * (t ^ 1)) >> 8);
        data[i] = static_cast<unsigned char>(data[i] ^ k);
        Mix(data[i]);
    }
}

bool PasswordMatches(ZipCrypto& cipher, const unsigned char header[12], uint32_t crc) {
    unsigned char plain[12];
    for (int i = 0; i < 12; ++i) plain[i] = header[i];
    cipher.Decrypt(plain, 12);
    return plain[11] == static_cast<unsigned char>(crc >> 24);
}

}  // namespace tavora::alz
