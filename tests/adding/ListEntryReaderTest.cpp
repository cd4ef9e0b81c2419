// A list's entries read from their headers (MPEG) or in one open (Ogg Vorbis) must come
// out as the engine's probe and the tag reader make them: the same entries open, with the
// same whole seconds and the same titles.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "AddingTestSupport.h"
#include "DisplayTitle.h"
#include "ListEntryReader.h"
#include "StreamProbe.h"

namespace tavora::test {
namespace {

using ListEntryReaderTest = AddingTest;

// What every entry was before: the engine opens it; the title comes from its tags.
std::optional<M3uEntryInfo> ByTheEngine(const StreamProbe& probe, const std::string& path, const TitleSettings& s) {
    const std::optional<ProbedStream> opened = probe.Probe(path);
    if (!opened) return std::nullopt;
    probe.Free(opened->handle);
    return M3uEntryInfo{ReadDisplayTitle(path, s), opened->lengthSeconds};
}

TEST_F(ListEntryReaderTest, EntriesComeOutAsTheEngineAndTheTagReaderMakeThem) {
    const std::string wav = media_.path("tone.wav");
    ASSERT_EQ(RunTool({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "3.9", "sine", "330"}), 0);
    const std::string wav48 = media_.path("tone48.wav");
    ASSERT_EQ(RunTool({"sox", "-q", "-n", "-r", "48000", "-c", "1", "-b", "16", wav48, "synth", "61.02", "sine", "330"}), 0);
    auto tool = [](std::vector<std::string> args) { EXPECT_EQ(RunTool(args), 0) << args.front(); };
    std::vector<std::string> paths = {
        media_.makeAudio("ffmpeg.mp3", "mp3", 2.5),
        media_.makeAudio("tone.wma", "wma", 1.5),
        wav,
        media_.path("missing.mp3"),
        media_.writeBytes("text.ogg", Bytes("OggS, but only words")),
        media_.writeBytes("text.mp3", Bytes("words words words")),
    };
    auto add = [&](const std::string& name, std::vector<std::string> args) {
        args.push_back(media_.path(name));
        tool(args);
        paths.push_back(media_.path(name));
    };
    add("lame-info.mp3", {"lame", "--quiet", "-b", "128", "--tt", "제목", "--ta", "가수", wav});
    add("lame-vbr.mp3", {"lame", "--quiet", "-V", "3", "--tt", "VBR", wav48});
    add("no-header.mp3", {"lame", "--quiet", "-t", "-b", "160", "--tt", "v1 only", "--id3v1-only", wav48});
    add("vbr-no-header.mp3", {"lame", "--quiet", "-t", "-V", "2", wav});
    // Serial numbers given: oggenc draws them from the clock's second, and two links of one
    // serial would not make a chained file.
    add("tagged.ogg", {"oggenc", "-Q", "-s", "1001", "-t", "노래", "-a", "가수", "-l", "앨범", "-N", "7", wav48, "-o"});
    add("untagged.OGG", {"oggenc", "-Q", "-s", "1002", wav, "-o"});
    // An Ogg file under an MP3 name: its length from the engine, its title from the name.
    std::filesystem::copy_file(media_.path("tagged.ogg"), media_.path("ogg-named.mp3"));
    paths.push_back(media_.path("ogg-named.mp3"));
    // Two Ogg streams one after the other (a chained file): both links count.
    {
        std::ofstream chained(media_.path("chained.ogg"), std::ios::binary);
        for (const char* part : {"tagged.ogg", "untagged.OGG"}) {
            std::ifstream in(media_.path(part), std::ios::binary);
            chained << in.rdbuf();
        }
        paths.push_back(media_.path("chained.ogg"));
    }
    // Cut before the first audio page, and cut in the middle.
    std::vector<uint8_t> ogg = media_.readBytes("tagged.ogg");
    ogg.resize(ogg.size() / 2);
    paths.push_back(media_.writeBytes("half.ogg", ogg));
    ogg.resize(3000);
    paths.push_back(media_.writeBytes("headers-only.ogg", ogg));
    std::vector<uint8_t> mp3 = media_.readBytes("lame-info.mp3");
    mp3.resize(mp3.size() / 3);
    paths.push_back(media_.writeBytes("third.mp3", mp3));

    for (const TitleSettings settings : {TitleSettings{true, TitleFormat::TitleAlbumArtist},
                                         TitleSettings{false, TitleFormat::ArtistTitle}}) {
        for (const std::string& path : paths) {
            const std::optional<M3uEntryInfo> expected = ByTheEngine(dlg()->streamProbe(), path, settings);
            const std::optional<M3uEntryInfo> read = ReadListEntry(dlg()->streamProbe(), path, settings);
            ASSERT_EQ(read.has_value(), expected.has_value()) << path;
            if (!read) continue;
            EXPECT_EQ(read->title, expected->title) << path;
            EXPECT_EQ(read->lengthSeconds, expected->lengthSeconds) << path;
        }
    }
    // The cases above are what they claim to be.
    const auto title = ReadListEntry(dlg()->streamProbe(), media_.path("tagged.ogg"), {true, TitleFormat::TitleAlbumArtist});
    ASSERT_TRUE(title);
    EXPECT_EQ(title->title, "노래 - 앨범 - 가수");
    EXPECT_EQ(title->lengthSeconds, 61);
    EXPECT_EQ(ReadListEntry(dlg()->streamProbe(), media_.path("chained.ogg"), {})->lengthSeconds, 64);
}

}  // namespace
}  // namespace tavora::test
