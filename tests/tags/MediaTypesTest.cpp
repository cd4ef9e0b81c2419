// The media table and the content sniffer (contracts/MediaTypes.h, ContentSniffer.h):
// each use's list as the player describes it, each use's case rule, each row's columns,
// and the sniffer on the first bytes of real files.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ContentSniffer.h"
#include "MediaFiles.h"
#include "MediaTypes.h"

namespace tavora {
namespace {

using media::CaseRule;
using media::Content;
using media::Media;
using media::TagFormat;
using media::Use;

std::vector<std::string> ExtensionsOf(Use use) {
    std::vector<std::string> out;
    for (Media kind : media::KindsOf(use)) out.emplace_back(media::Row(kind).extension);
    return out;
}

TEST(MediaTypes, EachUseListsTheKindsTheProgramDescribesWithItsCaseRule) {
    struct Case {
        Use use;
        std::vector<std::string> extensions;  // in table order
        CaseRule rule;
    };
    const Case cases[] = {
        {Use::FolderSong, {"wav", "mp3", "ogg", "asf", "wma"}, CaseRule::LowerOrUpper},
        {Use::ArchiveFile, {"zip", "rar", "alz"}, CaseRule::LowerOrUpper},
        {Use::ArchiveSong, {"wav", "mp3", "mp2", "mp1", "ogg", "asf", "wma", "cda"}, CaseRule::LowerOrUpper},
        {Use::SweepKeeps, {"wav", "mp3", "mp2", "mp1", "ogg", "asf", "wma", "wmv"}, CaseRule::LowerOrUpper},
        {Use::OpenedSong, {"wav", "mp3", "mp2", "mp1", "ogg", "asf", "wma", "cda"}, CaseRule::LowerOrUpper},
        {Use::OpenedPls, {"pls"}, CaseRule::LowerOnly},
        {Use::M3uList, {"m3u"}, CaseRule::LowerOrUpper},
        {Use::PlsList, {"pls"}, CaseRule::LowerOrUpper},
        {Use::AddDialog, {"wav", "mp3", "mp2", "mp1", "ogg", "asf", "wma", "cda", "zip", "rar", "alz"}, CaseRule::LowerOnly},
        {Use::ListDialog, {"m3u"}, CaseRule::LowerOnly},
        {Use::TitleTag, {"mp3", "ogg", "asf", "wma"}, CaseRule::LowerOrUpper},
        {Use::Mp3TagEditor, {"mp3"}, CaseRule::AnyCase},
        {Use::TagWindow, {"ogg", "asf", "wma"}, CaseRule::LowerOrUpper},
        {Use::MpegByName, {"mp3", "mp2", "mp1"}, CaseRule::AnyCase},
        {Use::VolumeSet, {"rar", "alz"}, CaseRule::AnyCase},
        {Use::Association, {"wav", "mp3", "ogg", "wma", "cda", "m3u", "pls"}, CaseRule::AnyCase},
    };
    ASSERT_EQ(std::size(cases), media::kUseCount);
    for (const Case& c : cases) {
        const int use = static_cast<int>(c.use);
        EXPECT_EQ(ExtensionsOf(c.use), c.extensions) << "use " << use;
        EXPECT_EQ(media::CaseRuleOf(c.use), c.rule) << "use " << use;
        for (const std::string& lower : c.extensions) {
            std::string upper = lower, mixed = lower;
            for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            mixed[0] = upper[0];
            EXPECT_TRUE(media::InUse(c.use, lower)) << use << " " << lower;
            EXPECT_EQ(media::InUse(c.use, upper), c.rule != CaseRule::LowerOnly) << use << " " << upper;
            EXPECT_EQ(media::InUse(c.use, mixed), c.rule == CaseRule::AnyCase) << use << " " << mixed;
            EXPECT_FALSE(media::InUse(c.use, "." + lower)) << use << " " << lower;
            EXPECT_FALSE(media::InUse(c.use, lower + "x")) << use << " " << lower;
        }
    }
}

TEST(MediaTypes, NameQuestionsTakeTheTextAfterTheLastDot) {
    struct Case {
        const char* name;
        bool archiveSong, keptBySweep, mpegByName;
        TagFormat title, tagWindow;
    };
    const Case cases[] = {
        {"/a/b.mp3", true, true, true, TagFormat::Id3, TagFormat::None},
        {"/a/b.MP3", true, true, true, TagFormat::Id3, TagFormat::None},
        {"/a/b.Mp3", false, false, true, TagFormat::None, TagFormat::None},
        {"/a/b.WMA", true, true, false, TagFormat::Asf, TagFormat::Asf},
        {"/a/b.asf", true, true, false, TagFormat::Asf, TagFormat::Asf},
        {"/a/b.OGG", true, true, false, TagFormat::Vorbis, TagFormat::Vorbis},
        {"/a/b.wav", true, true, false, TagFormat::None, TagFormat::None},
        {"/a/b.cda", true, false, false, TagFormat::None, TagFormat::None},
        {"/a/b.wmv", false, true, false, TagFormat::None, TagFormat::None},
        {"/a/b.mP2", false, false, true, TagFormat::None, TagFormat::None},
        {"/a.mp3/b", false, false, false, TagFormat::None, TagFormat::None},
        {"/a/mp3", false, false, false, TagFormat::None, TagFormat::None},
        {"/a/b.zip", false, false, false, TagFormat::None, TagFormat::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(media::IsArchiveSong(c.name), c.archiveSong) << c.name;
        EXPECT_EQ(media::IsKeptBySweep(c.name), c.keptBySweep) << c.name;
        EXPECT_EQ(media::IsMpegByName(c.name), c.mpegByName) << c.name;
        EXPECT_EQ(media::TitleTagsOf(c.name), c.title) << c.name;
        EXPECT_EQ(media::TagWindowTagsOf(c.name), c.tagWindow) << c.name;
    }
    EXPECT_EQ(media::DialogPatterns(Use::AddDialog), "*.wav;*.mp3;*.mp2;*.mp1;*.ogg;*.asf;*.wma;*.cda;*.zip;*.rar;*.alz");
    EXPECT_EQ(media::DialogPatterns(Use::ListDialog), "*.m3u");
}

TEST(MediaTypes, DecoderAndTagColumns) {
    struct Case {
        Media kind;
        media::Decoder decoder;
        const char* ffmpegFormat;
        TagFormat tags;
    };
    const Case cases[] = {
        {Media::Wav, media::Decoder::Wave, "wav", TagFormat::None},
        {Media::Mp3, media::Decoder::Mpeg, nullptr, TagFormat::Id3},
        {Media::Mp2, media::Decoder::Mpeg, nullptr, TagFormat::None},
        {Media::Mp1, media::Decoder::Mpeg, nullptr, TagFormat::None},
        {Media::Ogg, media::Decoder::Vorbis, nullptr, TagFormat::Vorbis},
        {Media::Asf, media::Decoder::Ffmpeg, "asf", TagFormat::Asf},
        {Media::Wma, media::Decoder::Ffmpeg, "asf", TagFormat::Asf},
        {Media::Cda, media::Decoder::CdTrack, nullptr, TagFormat::None},
        {Media::Zip, media::Decoder::None, nullptr, TagFormat::None},
        {Media::Rar, media::Decoder::None, nullptr, TagFormat::None},
        {Media::Alz, media::Decoder::None, nullptr, TagFormat::None},
        {Media::M3u, media::Decoder::None, nullptr, TagFormat::None},
        {Media::Pls, media::Decoder::None, nullptr, TagFormat::None},
        {Media::Wmv, media::Decoder::None, nullptr, TagFormat::None},
    };
    ASSERT_EQ(std::size(cases), media::kMediaTypes.size());
    for (const Case& c : cases) {
        const media::MediaType& row = media::Row(c.kind);
        EXPECT_EQ(row.decoder, c.decoder) << row.extension;
        EXPECT_STREQ(row.ffmpegFormat, c.ffmpegFormat) << row.extension;
        EXPECT_EQ(row.tags, c.tags) << row.extension;
    }
    EXPECT_EQ(media::MediaOfFfmpegFormat("wav"), Media::Wav);
    EXPECT_EQ(media::MediaOfFfmpegFormat("mp3"), std::nullopt);
}

TEST(MediaTypes, AssociationColumnInRegistrationOrder) {
    struct Case {
        Media kind;
        const char *setting, *progId, *description;
        int icon;
        const char* openSwitch;
        bool enqueue;
        const char* iconName;
        std::vector<std::string> mimeTypes;
        const char* declaredComment;
    };
    const Case cases[] = {
        {Media::Mp3, "MP3", "tavora.mp3", "Tavora mp3file", 143, "-s", true, "tavoraplayer-mp3", {"audio/mpeg"}, nullptr},
        {Media::Ogg, "OGG", "tavora.ogg", "Tavora oggfile", 148, "-s", true, "tavoraplayer-ogg",
         {"audio/ogg", "audio/x-vorbis+ogg"}, nullptr},
        {Media::Wma, "WMA", "tavora.wma", "Tavora wmafile", 149, "-s", true, "tavoraplayer-wma", {"audio/x-ms-wma"}, nullptr},
        {Media::Wav, "WAV", "tavora.wav", "Tavora wavfile", 159, "-s", true, "tavoraplayer-wav",
         {"audio/x-wav", "audio/wav"}, nullptr},
        {Media::Cda, "CDA", "tavora.cda", "Tavora cdafile", 193, "-s", true, "tavoraplayer-cda", {"application/x-cda"},
         "Audio CD track"},
        {Media::M3u, "M3U", "tavora.m3u", "Tavora m3ufile", 152, "-list", false, "tavoraplayer-m3u",
         {"audio/x-mpegurl", "audio/mpegurl"}, nullptr},
        {Media::Pls, "PLS", "tavora.pls", "Tavora plsfile", 157, "-pls", false, "tavoraplayer-pls", {"audio/x-scpls"},
         nullptr},
    };
    const std::vector<Media> kinds = media::AssociatedKinds();
    ASSERT_EQ(kinds.size(), std::size(cases));
    for (size_t i = 0; i < kinds.size(); ++i) {
        const Case& c = cases[i];
        ASSERT_EQ(kinds[i], c.kind) << i;
        const media::Association& a = media::Row(c.kind).association;
        EXPECT_EQ(a.order, static_cast<int>(i));
        EXPECT_STREQ(a.setting, c.setting);
        EXPECT_STREQ(a.progId, c.progId);
        EXPECT_STREQ(a.description, c.description);
        EXPECT_EQ(a.icon, c.icon) << c.progId;
        EXPECT_STREQ(a.openSwitch, c.openSwitch);
        EXPECT_EQ(a.enqueue, c.enqueue) << c.progId;
        EXPECT_STREQ(a.iconName, c.iconName);
        std::vector<std::string> mime;
        for (const char* m : a.mimeTypes)
            if (m) mime.emplace_back(m);
        EXPECT_EQ(mime, c.mimeTypes) << c.progId;
        EXPECT_STREQ(a.declaredComment, c.declaredComment);
    }
}

Content SniffFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    uint8_t head[media::kSniffBytes] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return media::SniffContent(head, static_cast<size_t>(in.gcount()));
}

TEST(ContentSniffer, RealFilesByContentNotByName) {
    test::MediaFolder folder;
    const std::string wav = folder.makeAudio("tone.wav", "wav");
    const std::string ogg = folder.makeAudio("tone.ogg", "ogg");
    const std::string wma = folder.makeAudio("tone.wma", "wma");
    const std::string mp3 = folder.makeAudio("tone.mp3", "mp3");
    auto ffmpeg = [&](const std::string& name, std::vector<std::string> codec) {
        std::vector<std::string> args = {"ffmpeg", "-v", "error", "-y", "-i", wav};
        args.insert(args.end(), codec.begin(), codec.end());
        args.push_back(folder.path(name));
        EXPECT_EQ(test::RunTool(args), 0) << name;
        return folder.path(name);
    };
    const std::string id3 = ffmpeg("tagged.mp3", {"-c:a", "libmp3lame", "-id3v2_version", "3", "-metadata", "title=t"});
    const std::string flac = ffmpeg("tone.flac", {"-c:a", "flac"});
    const std::string m4a = ffmpeg("tone.m4a", {"-c:a", "aac"});
    const std::string aiff = ffmpeg("tone.aiff", {"-c:a", "pcm_s16be", "-f", "aiff"});
    const std::string avi = ffmpeg("tone.avi", {"-c:a", "pcm_s16le", "-f", "avi"});
    // The record a CD drive shows for track 3.
    std::vector<uint8_t> cda(44, 0);
    std::memcpy(cda.data(), "RIFF", 4);
    cda[4] = 36;
    std::memcpy(cda.data() + 8, "CDDAfmt ", 8);
    cda[16] = 24;
    cda[22] = 3;
    const std::string track = folder.writeBytes("Track03.cda", cda);
    // Mis-named: an Ogg file called .mp3, a WAV file called .wma.
    std::filesystem::copy_file(ogg, folder.path("ogg-inside.mp3"));
    std::filesystem::copy_file(wav, folder.path("wav-inside.wma"));

    struct Case {
        std::string path;
        Content content;
    };
    const Case cases[] = {
        {wav, Content::Wave},        {ogg, Content::Ogg},
        {wma, Content::Asf},         {mp3, Content::MpegSync},
        {id3, Content::Id3},         {flac, Content::Flac},
        {m4a, Content::Mp4},         {aiff, Content::Iff},
        {avi, Content::OtherRiff},   {track, Content::CdaRecord},
        {folder.path("ogg-inside.mp3"), Content::Ogg},
        {folder.path("wav-inside.wma"), Content::Wave},
        {folder.writeBytes("text.mp3", {'h', 'e', 'l', 'l', 'o'}), Content::Unknown},
        {folder.writeBytes("empty.ogg", {}), Content::Unknown},
        // Too short for what they start like.
        {folder.writeBytes("short.wav", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A'}), Content::OtherRiff},
        {folder.writeBytes("short.wma", {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}), Content::Unknown},
    };
    for (const Case& c : cases) EXPECT_EQ(SniffFile(c.path), c.content) << c.path;
    EXPECT_EQ(media::SniffContent(nullptr, 0), Content::Unknown);
}

}  // namespace
}  // namespace tavora
