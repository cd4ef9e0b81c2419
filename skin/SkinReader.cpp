#include "SkinReader.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "RegularFile.h"

namespace tavora {

namespace {

// Larger description files are refused rather than parsed: real ones are a few
// dozen kilobytes.
constexpr off_t kMaxSkinFileBytes = 16 * 1024 * 1024;

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (extra > 0 && i + extra >= text.size()) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

// Skins made on Korean Windows are often saved as CP949 (declared "euc-kr"); their
// font and file names would otherwise come out as garbage.
bool Cp949ToUtf8(std::string_view in, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 3 / 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    bool ok = true;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            const size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        } else {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return false;
    out.resize(static_cast<size_t>(dst - out.data()));
    return true;
}

bool HasUnicodeMark(std::string_view text) {
    if (text.size() < 2) return false;
    const auto a = static_cast<unsigned char>(text[0]);
    const auto b = static_cast<unsigned char>(text[1]);
    return (a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF) || a == 0 || b == 0;
}

}  // namespace

int SkinNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

SkinReader::SkinReader() = default;
SkinReader::~SkinReader() = default;

bool SkinReader::Open(const std::string& path) {
    document_.reset();
    node_ = {};
    loaded_ = false;
    // Regular files only: a FIFO would block the read until a writer came.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    if (!file || fseeko(file.get(), 0, SEEK_END) != 0) return false;
    const off_t size = ftello(file.get());
    if (size < 0 || size > kMaxSkinFileBytes || fseeko(file.get(), 0, SEEK_SET) != 0) return false;
    std::string content(static_cast<size_t>(size), '\0');
    if (std::fread(content.data(), 1, content.size(), file.get()) != content.size()) return false;
    return OpenBuffer(content);
}

bool SkinReader::OpenBuffer(std::string_view xml) {
    document_ = std::make_unique<pugi::xml_document>();
    node_ = {};
    lastQuery_.clear();
    pugi::xml_encoding encoding = pugi::encoding_auto;
    std::string converted;
    if (!HasUnicodeMark(xml) && !IsValidUtf8(xml) && Cp949ToUtf8(xml, converted)) {
        xml = converted;
        encoding = pugi::encoding_utf8;
    }
    const pugi::xml_parse_result result =
        document_->load_buffer(xml.data(), xml.size(), pugi::parse_default, encoding);
    loaded_ = static_cast<bool>(result);
    return loaded_;
}

bool SkinReader::Select(std::string_view collection, std::string_view kind, std::string_view id) {
    node_ = {};
    if (!loaded_ || !document_) return false;
    lastQuery_.clear();
    lastQuery_.append("/TavoraSkin/").append(collection).append("/").append(kind);
    lastQuery_.append("[@ID='").append(id).append("']");
    try {
        node_ = document_->select_node(lastQuery_.c_str()).node();
    } catch (const std::exception&) {
        // An ID or collection that breaks the expression finds nothing.
        node_ = {};
    }
    return static_cast<bool>(node_);
}

std::string SkinReader::Attribute(const char* name) const { return node_.attribute(name).value(); }

int SkinReader::Number(const char* name) const { return SkinNumber(node_.attribute(name).value()); }

int SkinReader::Position(const char* name) const {
    return std::clamp(Number(name), -kMaxSkinExtent, kMaxSkinExtent);
}

int SkinReader::Size(const char* name) const { return std::clamp(Number(name), 0, kMaxSkinExtent); }

void SkinReader::ReadRect(SkinElement& element) const {
    const int x = Position("X");
    const int y = Position("Y");
    const int width = Size("Width");
    const int height = Size("Height");
    element.rect = {x, y, x + width, y + height};
    element.Width = width;
    element.Height = height;
}

bool SkinReader::ReadGroundImage(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Ground", id)) return false;
    element.defaultImage = Attribute("GroundImage");
    return true;
}

bool SkinReader::ReadGroundRect(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Ground", id)) return false;
    ReadRect(element);
    return true;
}

bool SkinReader::ReadGroundLineUp(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Ground", id)) return false;
    element.LineUp = Number("LineUp");
    return true;
}

bool SkinReader::ReadButtonImages(std::string_view collection, std::string_view id, SkinElement& element,
                                  int count) {
    if (!Select(collection, "Button", id)) return false;
    element.defaultImage = Attribute("BtImageDefault");
    if (count >= 2) element.downImage = Attribute("BtImageDown");
    if (count >= 3) element.overImage = Attribute("BtImageOver");
    return true;
}

bool SkinReader::ReadButtonRect(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Button", id)) return false;
    ReadRect(element);
    return true;
}

bool SkinReader::ReadButtonLineUp(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Button", id)) return false;
    element.LineUp = Number("LineUp");
    return true;
}

bool SkinReader::ReadPositionRect(std::string_view collection, std::string_view id, SkinElement& element) {
    if (!Select(collection, "Position/Ground", id) && !Select(collection, "Position/Button", id)) return false;
    ReadRect(element);
    return true;
}

bool SkinReader::ReadFontName(std::string_view collection, std::string_view id, SkinFont& font) {
    if (!Select(collection, "font", id)) return false;
    font.FontName = Attribute("FontName");
    // A face name holds at most 31 bytes; cut at a character boundary.
    if (font.FontName.size() > 31) {
        size_t cut = 31;
        while (cut > 0 && (static_cast<unsigned char>(font.FontName[cut]) & 0xC0) == 0x80) --cut;
        font.FontName.resize(cut);
    }
    return true;
}

bool SkinReader::ReadFont(std::string_view collection, std::string_view id, SkinFont& font) {
    if (!Select(collection, "font", id)) return false;
    font.X = Position("X");
    font.Y = Position("Y");
    font.FontSize = std::clamp(Number("FontSize"), -kMaxSkinFontSize, kMaxSkinFontSize);
    font.FontHeight = Position("FontHeight");
    return true;
}

bool SkinReader::ReadColor(std::string_view collection, std::string_view id, SkinFont& font) {
    if (!Select(collection, "rgb", id)) return false;
    font.R = Number("R");
    font.G = Number("G");
    font.B = Number("B");
    return true;
}

bool SkinReader::ReadSkinName(std::string_view collection, std::string_view id, std::string& name) {
    if (!Select(collection, "SkinName", id)) return false;
    name = Attribute("Name");
    return true;
}

bool SkinReader::ReadGround(std::string_view collection, std::string_view id, SkinElement& element) {
    const bool image = ReadGroundImage(collection, id, element);
    const bool rect = ReadGroundRect(collection, id, element);
    const bool lineUp = ReadGroundLineUp(collection, id, element);
    return image && rect && lineUp;
}

bool SkinReader::ReadButton(std::string_view collection, std::string_view id, SkinElement& element, int count) {
    const bool images = ReadButtonImages(collection, id, element, count);
    const bool rect = ReadButtonRect(collection, id, element);
    const bool lineUp = ReadButtonLineUp(collection, id, element);
    return images && rect && lineUp;
}

}  // namespace tavora
