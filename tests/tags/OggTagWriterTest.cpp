// Saving Vorbis comments: what the file holds afterwards (checked with vorbiscomment,
// ffmpeg and libvorbisfile), chained files, and every way a save can fail.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include "MediaFiles.h"
#include "OggTagReader.h"
#include "OggTagWriter.h"
#include "WriterTools.h"

namespace tavora {
namespace {

using test::CaptureTool;
using test::DecodedAudioMd5;
using test::FileBytes;
using test::FolderEntries;
using test::MediaFolder;
using test::RunTool;

TagRecord KoreanFields() {
    TagRecord r;
    r.title = "노래 제목=둘";  // a further "=" belongs to the value
    r.track = "3";
    r.album = "앨범 이름";
    r.artist = "가수";
    r.year = "2024";
    r.comment = "설명 한 줄";
    r.genre = "트로트";
    return r;
}

struct VorbisFacts {
    std::string vendor;
    ogg_int64_t samples = -1;
    int links = 0;
};

VorbisFacts Facts(const std::string& path) {
    VorbisFacts facts;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return facts;
    facts.vendor = ov_comment(&vf, 0)->vendor;
    facts.samples = ov_pcm_total(&vf, -1);
    facts.links = static_cast<int>(ov_streams(&vf));
    ov_clear(&vf);
    return facts;
}

class OggTagWriting : public ::testing::Test {
protected:
    MediaFolder media;

    // Encoded by ffmpeg with the given serial number offset, then tagged by vorbiscomment.
    std::string taggedOgg(const std::string& name, double seconds, int serial = 0) {
        const std::string out = media.path(name);
        EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                           "sine=frequency=330:sample_rate=44100:duration=" + std::to_string(seconds), "-ac", "2",
                           "-c:a", "libvorbis", "-serial_offset", std::to_string(serial), "-f", "ogg", out}),
                  0);
        EXPECT_EQ(RunTool({"vorbiscomment", "-w", "-t", "ARTIST=Old One", "-t", "ARTIST=Old Two", "-t",
                           "REPLAYGAIN_TRACK_GAIN=-3.1 dB", "-t", "TITLE=Old", out},
                          {{"LC_ALL", "C.UTF-8"}}),
                  0);
        return out;
    }

    std::string comments(const std::string& path) { return CaptureTool({"vorbiscomment", "-l", "-R", path}); }

    // The file is exactly as before and nothing was left beside it.
    void expectUntouched(const std::string& path, const std::vector<unsigned char>& before,
                         const std::set<std::string>& entries) {
        EXPECT_EQ(FileBytes(path), before);
        EXPECT_EQ(FolderEntries(std::filesystem::path(path).parent_path().string()), entries);
    }
};

// The seven fields replace their comments, whatever the case of their keys; every other
// comment (replay gain, a picture, album artist, disc number, MusicBrainz ids) stays, in
// its order.
TEST_F(OggTagWriting, FieldsReplaceTheirCommentsAndTheOthersStay) {
    const std::string path = taggedOgg("song.ogg", 3);
    std::string picture;
    for (int i = 0; picture.size() < 6000; ++i) picture += "QUJDREVGR0hJSktMTU5PUFFSU1RV" + std::to_string(i % 10);
    const std::vector<std::string> others = {
        "REPLAYGAIN_TRACK_GAIN=-3.1 dB", "METADATA_BLOCK_PICTURE=" + picture, "ALBUMARTIST=여러 가수",
        "DISCNUMBER=2", "MUSICBRAINZ_TRACKID=6f1e8c9a-0b7d-4c1e-9a55-3b2f1d0c4e77"};
    std::vector<std::string> args = {"vorbiscomment", "-w", "-t", "title=Old", "-t", others[0], "-t", "ARTIST=Old One",
                                     "-t", others[1], "-t", "Genre=Old", "-t", others[2], "-t", "DATE=1999",
                                     "-t", others[3], "-t", others[4], "-t", "TrackNumber=9", path};
    ASSERT_EQ(RunTool(args, {{"LC_ALL", "C.UTF-8"}}), 0);
    const VorbisFacts before = Facts(path);
    const std::string audio = DecodedAudioMd5(path);
    ASSERT_FALSE(audio.empty());

    const TagWriteResult result = WriteOggTag(path, KoreanFields());
    ASSERT_TRUE(result.written) << result.userMessage << " " << result.detail;

    std::string expected;
    for (const std::string& c : others) expected += c + "\n";
    expected += "TITLE=노래 제목=둘\nTRACKNUMBER=3\nALBUM=앨범 이름\nARTIST=가수\nDATE=2024\n"
                "DESCRIPTION=설명 한 줄\nGENRE=트로트\n";
    EXPECT_EQ(comments(path), expected);
    EXPECT_EQ(ReadOggTags(path), KoreanFields());
    const VorbisFacts after = Facts(path);
    EXPECT_EQ(after.vendor, before.vendor);
    EXPECT_EQ(after.samples, before.samples);
    EXPECT_EQ(DecodedAudioMd5(path), audio);
    EXPECT_EQ(FolderEntries(media.dirPath()), std::set<std::string>{"song.ogg"});
}

// An empty field removes its comments and writes none.
TEST_F(OggTagWriting, EmptyFieldsWriteNoComment) {
    const std::string path = taggedOgg("song.ogg", 1);
    TagRecord some;
    some.artist = "가수";
    some.genre = "Rock\n";  // the newline of a multi-line edit is not kept
    some.album = "\xFF\xFE";  // neither UTF-8 nor CP949: skipped, the others still written
    ASSERT_TRUE(WriteOggTag(path, some).written);
    EXPECT_EQ(comments(path), "REPLAYGAIN_TRACK_GAIN=-3.1 dB\nARTIST=가수\nGENRE=Rock\n");

    ASSERT_TRUE(WriteOggTag(path, TagRecord{}).written);
    EXPECT_EQ(comments(path), "REPLAYGAIN_TRACK_GAIN=-3.1 dB\n");
    EXPECT_EQ(ReadOggTags(path), TagRecord{});
}

TEST_F(OggTagWriting, LegacyCp949ValueIsStoredAsUtf8) {
    const std::string path = taggedOgg("song.ogg", 1);
    TagRecord fields;
    fields.title = "\xB3\xEB\xB7\xA1";  // "노래" in CP949, as an old playlist may hand it over
    ASSERT_TRUE(WriteOggTag(path, fields).written);
    EXPECT_EQ(comments(path), "REPLAYGAIN_TRACK_GAIN=-3.1 dB\nTITLE=노래\n");
}

// Later links of a chain come out byte for byte, whether their serial numbers differ from
// the first link's or repeat it.
TEST_F(OggTagWriting, ChainedFileKeepsLaterStreamsByteForByte) {
    for (const int secondSerial : {77, 0}) {
        const std::string first = taggedOgg("first.ogg", 2, 0);
        const std::string second = taggedOgg("second.ogg", 1, secondSerial);
        const std::vector<unsigned char> tail = FileBytes(second);
        std::vector<unsigned char> chain = FileBytes(first);
        chain.insert(chain.end(), tail.begin(), tail.end());
        const std::string path = media.writeBytes("chain.ogg", chain);
        const VorbisFacts before = Facts(path);
        ASSERT_EQ(before.links, 2);

        const TagWriteResult result = WriteOggTag(path, KoreanFields());
        ASSERT_TRUE(result.written) << result.detail;

        const std::vector<unsigned char> out = FileBytes(path);
        ASSERT_GT(out.size(), tail.size());
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), out.end() - static_cast<long>(tail.size())))
            << "serial " << secondSerial;
        const VorbisFacts after = Facts(path);
        EXPECT_EQ(after.links, 2);
        EXPECT_EQ(after.samples, before.samples);
        EXPECT_EQ(ReadOggTags(path).title, "노래 제목=둘");
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
        const vorbis_comment* secondComments = ov_comment(&vf, 1);
        ASSERT_NE(secondComments, nullptr);
        EXPECT_EQ(secondComments->comments, 4);  // the tags vorbiscomment gave it
        ov_clear(&vf);
    }
}

TEST_F(OggTagWriting, TornLastPageIsKeptAndTheRestStillPlays) {
    const std::string whole = taggedOgg("whole.ogg", 4);
    std::vector<unsigned char> bytes = FileBytes(whole);
    bytes.resize(bytes.size() * 2 / 3);
    const std::string path = media.writeBytes("torn.ogg", bytes);
    const std::string audio = DecodedAudioMd5(path);

    ASSERT_TRUE(WriteOggTag(path, KoreanFields()).written);
    EXPECT_EQ(DecodedAudioMd5(path), audio);
    const std::vector<unsigned char> out = FileBytes(path);
    // The torn page's bytes end the new file as they ended the old one.
    EXPECT_TRUE(std::equal(bytes.end() - 200, bytes.end(), out.end() - 200));
}

TEST_F(OggTagWriting, FilesThatAreNotOggVorbisAreLeftAlone) {
    struct Case {
        std::string name;
        std::vector<unsigned char> bytes;
        std::string reason;
    };
    const std::string realOgg = taggedOgg("real.ogg", 1);
    std::vector<unsigned char> headersCut = FileBytes(realOgg);
    headersCut.resize(1000);
    std::filesystem::remove(realOgg);
    const std::string mp3 = media.makeAudio("real.mp3", "mp3", 10);
    const std::vector<Case> cases = {
        {"mp3.ogg", FileBytes(mp3), "Input is not an Ogg bitstream."},
        {"short.ogg", std::vector<unsigned char>(100, 'x'), "Input truncated or empty."},
        {"empty.ogg", {}, "Input truncated or empty."},
        {"zeros.ogg", std::vector<unsigned char>(50000, 0), "Input is not an Ogg bitstream."},
        {"cut.ogg", headersCut, "EOF before end of vorbis headers."},
    };
    std::filesystem::remove(mp3);
    for (const Case& c : cases) {
        const std::string path = media.writeBytes(c.name, c.bytes);
        const auto entries = FolderEntries(media.dirPath());
        const TagWriteResult result = WriteOggTag(path, KoreanFields());
        EXPECT_FALSE(result.written) << c.name;
        EXPECT_EQ(result.userMessage, "vcedit_open ERROR") << c.name;
        EXPECT_EQ(result.detail, c.reason) << c.name;
        expectUntouched(path, c.bytes, entries);
    }
}

// Two Vorbis streams multiplexed page by page (ffmpeg, two audio streams): re-paging the
// first would tear the second apart, so the file is refused and left alone.
TEST_F(OggTagWriting, MultiplexedStreamsAreRefused) {
    const std::string path = media.path("two.ogg");
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=3", "-f", "lavfi",
                       "-i", "sine=frequency=550:duration=3", "-map", "0:a", "-map", "1:a", "-c:a", "libvorbis", "-f",
                       "ogg", path}),
              0);
    const auto before = FileBytes(path);
    const auto entries = FolderEntries(media.dirPath());
    const TagWriteResult result = WriteOggTag(path, KoreanFields());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.userMessage, "vcedit_open ERROR");
    EXPECT_EQ(result.detail, "Input has interleaved logical streams; it is not rewritten.");
    expectUntouched(path, before, entries);
}

// Saving through a symbolic link replaces the file it names; the link stays a link.
TEST_F(OggTagWriting, LinkStaysALinkToTheNewFile) {
    const std::string real = taggedOgg("real.ogg", 1);
    const std::string link = media.path("link.ogg");
    std::filesystem::create_symlink("real.ogg", link);
    ASSERT_TRUE(WriteOggTag(link, KoreanFields()).written);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadOggTags(real), KoreanFields());
    EXPECT_EQ(FolderEntries(media.dirPath()), (std::set<std::string>{"link.ogg", "real.ogg"}));
}

TEST_F(OggTagWriting, ReadOnlyFileIsNotWritten) {
    const std::string path = taggedOgg("song.ogg", 1);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const auto before = FileBytes(path);
    const auto entries = FolderEntries(media.dirPath());
    EXPECT_FALSE(WriteOggTag(path, KoreanFields()).written);
    expectUntouched(path, before, entries);
}

TEST_F(OggTagWriting, FullDiskLeavesTheFileAsItWas) {
    const std::string source = taggedOgg("song.ogg", 20);
    const auto before = FileBytes(source);
    // Room for the file and half of its copy.
    test::SmallTmpfs disk(before.size() + before.size() / 2);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    const std::string path = disk.dir() + "/song.ogg";
    std::filesystem::copy_file(source, path);
    const auto entries = FolderEntries(disk.dir());

    const TagWriteResult result = WriteOggTag(path, KoreanFields());
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.userMessage.empty());
    expectUntouched(path, before, entries);
}

// A child process is stopped by the file size limit in the middle of writing the new
// file, then killed: the original is intact, the torn temporary file stays beside it,
// and the next save reuses and replaces it.
TEST_F(OggTagWriting, KilledWriterLeavesTheOriginalIntact) {
    const std::string path = taggedOgg("song.ogg", 30);
    const auto before = FileBytes(path);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, [](int) { raise(SIGSTOP); });
        const rlim_t half = static_cast<rlim_t>(before.size() / 2);
        const rlimit limit{half, half};
        setrlimit(RLIMIT_FSIZE, &limit);
        WriteOggTag(path, KoreanFields());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the writer finished before the size limit stopped it";
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, &status, 0), child);

    EXPECT_EQ(FileBytes(path), before);
    const std::string temp = path + kOggTempSuffix;
    ASSERT_TRUE(std::filesystem::exists(temp));
    EXPECT_EQ(std::filesystem::file_size(temp), before.size() / 2);

    ASSERT_TRUE(WriteOggTag(path, KoreanFields()).written);
    EXPECT_EQ(FolderEntries(media.dirPath()), std::set<std::string>{"song.ogg"});
    EXPECT_EQ(ReadOggTags(path), KoreanFields());
}

}  // namespace
}  // namespace tavora
