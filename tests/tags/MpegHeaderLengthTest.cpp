// The header-based length of MPEG audio files must be the length the decoder finds when it
// walks every frame (gapless, as the engine plays), or no answer at all.
#include <gtest/gtest.h>

#include <mpg123.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "MediaFiles.h"
#include "MpegHeaderLength.h"

namespace tavora {
namespace {

using test::MediaFolder;
using test::RunTool;

// The reference: mpg123 walking every frame of the file, gapless.
std::optional<double> ScannedSeconds(const std::string& path) {
    static std::once_flag init;
    std::call_once(init, [] { mpg123_init(); });
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) return std::nullopt;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    std::optional<double> seconds;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK && mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK &&
        mpg123_scan(mh) == MPG123_OK && rate > 0)
        seconds = static_cast<double>(mpg123_length(mh)) / static_cast<double>(rate);
    mpg123_close(mh);
    mpg123_delete(mh);
    return seconds;
}

class MpegFiles : public ::testing::Test {
protected:
    std::string Tone(double seconds, int rate) {
        const std::string wav = media.path("tone-" + std::to_string(rate) + "-" + std::to_string(seconds) + ".wav");
        EXPECT_EQ(RunTool({"sox", "-q", "-n", "-r", std::to_string(rate), "-c", "2", "-b", "16", wav, "synth",
                           std::to_string(seconds), "sine", "300", "vol", "0.3"}),
                  0);
        return wav;
    }
    std::string Make(const std::string& name, std::vector<std::string> tool) {
        tool.push_back(media.path(name));
        EXPECT_EQ(RunTool(tool), 0) << name;
        return media.path(name);
    }
    MediaFolder media;
};

TEST_F(MpegFiles, HeadersGiveTheLengthTheDecoderCounts) {
    const std::string t44 = Tone(4, 44100), t48 = Tone(187.3, 48000);
    struct Case {
        std::string name;
        std::vector<std::string> tool;
        double tolerance;  // seconds
    };
    // Xing/Info files carry the exact sample count; a CBR file without a header is
    // measured by its size, within a frame of the count.
    const std::vector<Case> cases = {
        {"info-cbr.mp3", {"lame", "--quiet", "-b", "128", t44}, 1e-6},
        {"xing-vbr.mp3", {"lame", "--quiet", "-V", "2", t44}, 1e-6},
        {"xing-vbr-id3v2.mp3", {"lame", "--quiet", "-V", "4", "--tt", "Title", "--id3v2-only", t48}, 1e-6},
        {"ffmpeg-info-id3v2.mp3",
         {"ffmpeg", "-v", "error", "-y", "-i", t44, "-c:a", "libmp3lame", "-b:a", "128k", "-id3v2_version", "3",
          "-metadata", "title=x"},
         1e-6},
        {"no-header.mp3", {"lame", "--quiet", "-t", "-b", "128", t44}, 0.03},
        {"no-header-id3v1.mp3", {"lame", "--quiet", "-t", "-b", "192", "--tt", "T", "--id3v1-only", t48}, 0.03},
        {"mpeg25-info.mp3", {"lame", "--quiet", "-b", "32", "--resample", "11.025", t48}, 1e-6},
        {"layer2.mp2", {"ffmpeg", "-v", "error", "-y", "-i", t48, "-c:a", "mp2", "-b:a", "192k"}, 0.03},
        {"sox.mp3", {"sox", "-q", t44}, 0.03},
    };
    for (const Case& c : cases) {
        const std::string path = Make(c.name, c.tool);
        const std::optional<double> scanned = ScannedSeconds(path);
        ASSERT_TRUE(scanned) << c.name;
        const std::optional<AudioProbe> quick = ReadMpegHeaderLength(path);
        ASSERT_TRUE(quick) << c.name;
        EXPECT_NEAR(quick->seconds, *scanned, c.tolerance) << c.name;
        EXPECT_EQ(static_cast<long long>(quick->seconds), static_cast<long long>(*scanned)) << c.name;
    }
}

TEST_F(MpegFiles, FilesTheHeadersCannotMeasureAreLeftToTheDecoder) {
    const std::string t44 = Tone(4, 44100);
    // VBR without a header: the first frames differ in bit rate.
    EXPECT_FALSE(ReadMpegHeaderLength(Make("vbr-no-header.mp3", {"lame", "--quiet", "-t", "-V", "2", t44})));
    // Cut short: the header claims more data than the file holds.
    const std::string whole = Make("whole.mp3", {"lame", "--quiet", "-b", "128", t44});
    std::vector<uint8_t> bytes = media.readBytes("whole.mp3");
    bytes.resize(bytes.size() / 2);
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("half.mp3", bytes)));
    bytes.resize(700);
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("stub.mp3", bytes)));
    // Junk in front of the first frame, text, an empty file, a folder, a missing file.
    std::vector<uint8_t> junk(300, 0x55);
    const std::vector<uint8_t> original = media.readBytes("whole.mp3");
    junk.insert(junk.end(), original.begin(), original.end());
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("junk.mp3", junk)));
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("text.mp3", test::Bytes("words words words"))));
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("empty.mp3", {})));
    EXPECT_FALSE(ReadMpegHeaderLength(media.dirPath()));
    EXPECT_FALSE(ReadMpegHeaderLength(media.path("missing.mp3")));
    // An ID3v2 tag that claims to be larger than the file.
    const std::vector<uint8_t> bigTag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F, 0xFF, 0xFB, 0x90, 0x00};
    EXPECT_FALSE(ReadMpegHeaderLength(media.writeBytes("tag-only.mp3", bigTag)));
}

// Hand-built streams: MPEG-1 layer III, 128 kbit/s, 44.1 kHz, stereo, 417-byte frames.
constexpr size_t kFrame = 417;
void PutHeader(std::vector<uint8_t>& out, size_t at) {
    const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
    std::memcpy(out.data() + at, header, 4);
}
void PutBe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
std::vector<uint8_t> Frames(size_t count) {
    std::vector<uint8_t> out(count * kFrame, 0);
    for (size_t i = 0; i < count; ++i) PutHeader(out, i * kFrame);
    return out;
}
std::optional<AudioProbe> Measure(const std::vector<uint8_t>& file) {
    return MpegLengthFromHeaders(file, 0, file.size(), std::span<const uint8_t>(file).last(std::min<size_t>(256, file.size())));
}

TEST(MpegHeaders, VbriAndXingCountsAndTheLameDelay) {
    // VBRI (Fraunhofer) 32 bytes after the header: version, delay, quality, bytes, frames.
    std::vector<uint8_t> vbri = Frames(101);
    std::memcpy(vbri.data() + 36, "VBRI", 4);
    PutBe32(vbri, 36 + 10, static_cast<uint32_t>(vbri.size()));
    PutBe32(vbri, 36 + 14, 1000);  // the file holds fewer, but its bytes field agrees
    std::optional<AudioProbe> r = Measure(vbri);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->seconds, 1000.0 * 1152 / 44100);
    EXPECT_EQ(r->sampleRate, 44100);
    EXPECT_EQ(r->channels, 2);

    // Xing with frames and a LAME extension: delay 576, padding 1000 samples.
    std::vector<uint8_t> xing = Frames(50);
    std::memcpy(xing.data() + 36, "Xing", 4);
    PutBe32(xing, 40, 1);  // frames only
    PutBe32(xing, 44, 49);
    std::memcpy(xing.data() + 48, "LAME3.100", 9);
    xing[48 + 21] = 576 >> 4;
    xing[48 + 22] = static_cast<uint8_t>((576 & 0xF) << 4 | 1000 >> 8);
    xing[48 + 23] = 1000 & 0xFF;
    r = Measure(xing);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->seconds, (49.0 * 1152 - 576 - 1000) / 44100);

    // A Xing header without a frame count says nothing; a bytes field larger than the
    // file means the file was cut.
    PutBe32(xing, 40, 0);
    EXPECT_FALSE(Measure(xing));
    PutBe32(xing, 40, 3);
    PutBe32(xing, 48, static_cast<uint32_t>(xing.size() * 2));
    EXPECT_FALSE(Measure(xing));

    // No header: the size over the bit rate, less a trailing ID3v1 tag.
    std::vector<uint8_t> cbr = Frames(200);
    const size_t audio = cbr.size();
    cbr.resize(audio + 128, 0);
    std::memcpy(cbr.data() + audio, "TAG", 3);
    r = Measure(cbr);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->seconds, audio * 8.0 / 128000);
    // One frame at another bit rate among the first: not constant, not measured.
    cbr[2 * kFrame + 2] = 0xA0;
    EXPECT_FALSE(Measure(cbr));
}

}  // namespace
}  // namespace tavora
