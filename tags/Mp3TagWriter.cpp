#include "Mp3TagWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <mutex>
#include <string_view>

#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include "Cp949Field.h"
#include "TagCopyEdit.h"
#include "TextDecoding.h"

namespace tavora {
namespace {

using TagLib::String;

// ID3v1 field widths; the comment gives two bytes to the track number (ID3v1.1).
constexpr size_t kV1TextWidth = 30;
constexpr size_t kV1CommentWidth = 28;

class Cp949Handler : public TagLib::ID3v1::StringHandler {
public:
    String parse(const TagLib::ByteVector& data) const override {
        const std::string_view bytes(data.data(), data.size());
        const std::string utf8 = LegacyTextToUtf8(bytes.substr(0, bytes.find('\0')));
        return String(utf8, String::UTF8).stripWhiteSpace();
    }
    // The caller has already cut the text to fit (SetV1Text), so nothing is lost here.
    TagLib::ByteVector render(const String& s) const override {
        const std::string bytes = Utf8ToCp949Field(s.to8Bit(true), SIZE_MAX).bytes;
        return TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
    }
};

String::Type EncodingFor(const std::string& utf8) {
    for (const unsigned char c : utf8)
        if (c >= 0x80) return String::UTF16;
    return String::Latin1;
}

String Text(const std::string& utf8) { return String(utf8, String::UTF8); }

struct V2Frame {
    const char* id;
    std::string TagRecord::*field;
};

// TDRC is TagLib's name for the year in every version; it writes TYER into a v2.3 tag.
constexpr std::array kV2TextFrames = {
    V2Frame{"TIT2", &TagRecord::title},          V2Frame{"TALB", &TagRecord::album},
    V2Frame{"TDRC", &TagRecord::year},           V2Frame{"TOPE", &TagRecord::originalArtist},
    V2Frame{"TCOM", &TagRecord::composer},       V2Frame{"TPE1", &TagRecord::artist},
    V2Frame{"TRCK", &TagRecord::track},          V2Frame{"TENC", &TagRecord::encodedBy},
    V2Frame{"TCOP", &TagRecord::rightsNotice},   V2Frame{"TPUB", &TagRecord::publisher},
};

void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& value) {
    tag.removeFrames(id);
    if (value.empty()) return;
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, EncodingFor(value));
    frame->setText(Text(value));
    tag.addFrame(frame);
}

// The plain comment is the one without a description; comments with one belong to other
// programs (iTunNORM, MusicMatch ...) and are kept.
void SetComment(TagLib::ID3v2::Tag& tag, const std::string& value) {
    TagLib::ByteVector language("kor", 3);
    const TagLib::ID3v2::FrameList frames = tag.frameList("COMM");
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (!comment || !comment->description().isEmpty()) continue;
        if (comment->language().size() == 3) language = comment->language();
        tag.removeFrame(comment, true);
    }
    if (value.empty()) return;
    auto* frame = new TagLib::ID3v2::CommentsFrame(EncodingFor(value));
    frame->setLanguage(language);
    frame->setText(Text(value));
    tag.addFrame(frame);
}

unsigned LeadingNumber(const std::string& text) {
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The genre number of "(n)..." text; 255 (none in the list) otherwise.
unsigned GenreNumber(const std::string& genreText) {
    unsigned value = 255;
    if (genreText.size() > 2 && genreText[0] == '(') {
        const auto [end, ec] = std::from_chars(genreText.data() + 1, genreText.data() + genreText.size(), value);
        if (ec != std::errc() || *end != ')' || value > 255) value = 255;
    }
    return value;
}

void WriteV1(TagLib::ID3v1::Tag& tag, const Mp3TagValues& values) {
    const TagRecord& v = values.v1;
    tag.setTitle(Text(Utf8ToCp949Field(v.title, kV1TextWidth).utf8Taken));
    tag.setArtist(Text(Utf8ToCp949Field(v.artist, kV1TextWidth).utf8Taken));
    tag.setAlbum(Text(Utf8ToCp949Field(v.album, kV1TextWidth).utf8Taken));
    const unsigned track = LeadingNumber(v.track);
    tag.setComment(Text(Utf8ToCp949Field(v.comment, track ? kV1CommentWidth : kV1TextWidth).utf8Taken));
    tag.setTrack(track);
    tag.setYear(LeadingNumber(v.year));
    if (!values.genreText.empty()) tag.setGenreNumber(GenreNumber(values.genreText));
}

bool Kept(const Mp3TagValues& values, std::string TagRecord::*field) {
    return std::find(values.keepV2.begin(), values.keepV2.end(), field) != values.keepV2.end();
}

void WriteV2(TagLib::ID3v2::Tag& tag, const Mp3TagValues& values) {
    for (const V2Frame& f : kV2TextFrames)
        if (!Kept(values, f.field)) SetTextFrame(tag, f.id, values.v2.*f.field);
    // v2.3 files may still carry the date parts TagLib folds into TDRC; the year replaces them.
    if (!Kept(values, &TagRecord::year))
        for (const char* id : {"TYER", "TDAT", "TIME"}) tag.removeFrames(id);
    if (!Kept(values, &TagRecord::comment)) SetComment(tag, values.v2.comment);
    if (values.genreText == "(255)") tag.removeFrames("TCON");  // no genre
    else if (!values.genreText.empty()) SetTextFrame(tag, "TCON", values.genreText);
}

}  // namespace

void InstallId3v1TextHandler() {
    static std::once_flag once;
    static const Cp949Handler handler;
    std::call_once(once, [] { TagLib::ID3v1::Tag::setStringHandler(&handler); });
}

TagWriteResult WriteMp3Tag(const std::string& path, const Mp3TagValues& values) {
    InstallId3v1TextHandler();
    return EditTagCopy(path, Mp3AudioRegion, [&](const std::string& copy) -> TagWriteResult {
        TagLib::MPEG::File file(copy.c_str(), false);
        if (!file.isValid() || file.readOnly()) return TagWriteFailure(kTagWriteFailedText, "not an MPEG file", path);
        const TagLib::ID3v2::Tag* old = file.ID3v2Tag(false);
        const bool keepV4 = old && file.hasID3v2Tag() && old->header()->majorVersion() == 4;
        WriteV2(*file.ID3v2Tag(true), values);
        WriteV1(*file.ID3v1Tag(true), values);
        if (!file.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                       keepV4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3, TagLib::File::DoNotDuplicate))
            return TagWriteFailure(kTagWriteFailedText, "TagLib could not save", path);
        return TagWritten();
    });
}

}  // namespace tavora
