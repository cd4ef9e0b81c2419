#pragma once
// Decoding one ALZ entry's data into a sink: decryption (ZipCrypto), then store, raw
// deflate (zlib) or the ALZ bzip2 variant, with the length and CRC-32 checked at the
// end. The sink bounds the output (a SafeFile stops at the declared size).

#include <string>

#include "AlzHeaders.h"
#include "AlzVolumes.h"
#include "ByteSink.h"

namespace tavora::alz {

// Checks what needs no decoding: the method, the flags, and for an encrypted entry the
// password's check byte. False with *error.
bool CanDecode(const AlzEntry& entry, const std::string& password, std::string* error);

// False with *error; an encrypted entry needs the password ("" fails).
bool DecodeAlzEntry(VolumeSet& stream, const AlzEntry& entry, const std::string& password,
                    unpack::ByteSink& sink, std::string* error);

}  // namespace tavora::alz
