#include "Cp949Field.h"

#include <iconv.h>

namespace tavora {
namespace {

class ToCp949 {
public:
    ToCp949() : cd_(iconv_open("CP949", "UTF-8")) {}
    ~ToCp949() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    ToCp949(const ToCp949&) = delete;
    ToCp949& operator=(const ToCp949&) = delete;

    // One character; empty when CP949 has no such character.
    std::string convert(std::string_view character) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return {};
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char out[8];
        char* in = const_cast<char*>(character.data());
        size_t inLeft = character.size();
        char* dst = out;
        size_t outLeft = sizeof out;
        if (iconv(cd_, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return {};
        return std::string(out, sizeof out - outLeft);
    }

private:
    iconv_t cd_;
};

size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;  // a stray continuation byte counts alone
}

}  // namespace

Cp949Field Utf8ToCp949Field(std::string_view utf8, size_t maxBytes) {
    thread_local ToCp949 converter;
    Cp949Field field;
    size_t at = 0;
    while (at < utf8.size()) {
        const size_t length = std::min(Utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        const std::string_view character = utf8.substr(at, length);
        std::string encoded = static_cast<unsigned char>(character[0]) < 0x80 ? std::string(1, character[0])
                                                                               : converter.convert(character);
        if (encoded.empty()) encoded.push_back('?');
        if (field.bytes.size() + encoded.size() > maxBytes) break;
        field.bytes.append(encoded);
        at += length;
    }
    field.utf8Taken = std::string(utf8.substr(0, at));
    return field;
}

}  // namespace tavora
