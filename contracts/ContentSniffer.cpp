#include "ContentSniffer.h"

#include <cstring>

namespace tavora::media {

Content SniffContent(const uint8_t* head, size_t size) {
    auto at = [&](size_t offset, const void* magic, size_t n) {
        return head && size >= offset + n && std::memcmp(head + offset, magic, n) == 0;
    };
    static constexpr uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    if (at(0, "RIFF", 4)) {
        if (at(8, "WAVE", 4)) return Content::Wave;
        if (at(8, "CDDA", 4)) return Content::CdaRecord;
        return Content::OtherRiff;
    }
    if (at(0, "OggS", 4)) return Content::Ogg;
    if (at(0, kAsfHeaderGuid, sizeof kAsfHeaderGuid)) return Content::Asf;
    if (at(0, "fLaC", 4)) return Content::Flac;
    if (at(4, "ftyp", 4)) return Content::Mp4;
    if (at(0, "MThd", 4)) return Content::Midi;
    if (at(0, "FORM", 4)) return Content::Iff;
    if (at(0, "ID3", 3)) return Content::Id3;
    if (size >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0) return Content::MpegSync;
    return Content::Unknown;
}

}  // namespace tavora::media
