// Feeds arbitrary bytes to the ID3v2 frame reader and the text decoders behind it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Genres.h"
#include "Id3v2Reader.h"
#include "TextDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (const auto tag = tavora::ParseId3v2(bytes)) {
        const tavora::TagRecord& f = tag->fields;
        for (const std::string* text : {&f.title, &f.artist, &f.album, &f.track, &f.year, &f.comment, &f.genre,
                                        &f.composer, &f.originalArtist, &f.rightsNotice, &f.publisher, &f.encodedBy}) {
            if (!tavora::IsValidUtf8(*text) || text->size() > tavora::kId3FieldLimit) __builtin_trap();
        }
        if (!tavora::IsValidUtf8(tavora::GenreStoredForm(tavora::GenreDisplayName(f.genre)))) __builtin_trap();
        // The frames end within the tag.
        const size_t total = *tavora::Id3v2TagSize(bytes);
        if (tag->framesEnd && (*tag->framesEnd < 10 || *tag->framesEnd > total)) __builtin_trap();
    }
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (!tavora::IsValidUtf8(tavora::LegacyTextToUtf8(raw))) __builtin_trap();
    if (!tavora::IsValidUtf8(tavora::Utf16ToUtf8(raw, tavora::Utf16Order::Big))) __builtin_trap();
    return 0;
}
