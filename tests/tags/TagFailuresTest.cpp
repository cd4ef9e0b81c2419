// Files the title pass must survive: broken tags, files that are no regular files, and
// the ".cda" records of audio CDs, whose length comes from the disc.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

#include "DisplayTitle.h"
#include "../support/NonRegularFiles.h"
#include "MediaFiles.h"
#include "RowTitleTime.h"
#include "TextDecoding.h"

namespace tavora {
namespace {

using test::ByteVec;
using test::MediaFolder;

// Collects what is logged in the tag readers' category.
class TagLog {
public:
    TagLog() {
        std::lock_guard lock(Mutex());
        Lines().clear();
        previous_ = qInstallMessageHandler(&Handler);
    }
    ~TagLog() { qInstallMessageHandler(previous_); }
    // The lines that name the file.
    int about(const std::string& path) const {
        std::lock_guard lock(Mutex());
        int n = 0;
        for (const std::string& line : Lines()) n += line.find(path) != std::string::npos ? 1 : 0;
        return n;
    }

private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static void Handler(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (!context.category || std::string(context.category) != "tavora.tags") return;
        std::lock_guard lock(Mutex());
        Lines().push_back(message.toStdString());
    }
    QtMessageHandler previous_ = nullptr;
};

TEST(TagFailures, CorruptTagsGiveTheFileNameTitleAndAreLoggedWithTheFileName) {
    MediaFolder media;
    TagLog log;
    using namespace test;
    std::mt19937 rng(11);
    ByteVec noise(3000);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());

    const ByteVec mp3 = media.readBytes(std::filesystem::path(media.makeAudio("plain.mp3", "mp3", 2.0)).filename());
    // A title frame that claims two megabytes of a three-megabyte tag: forged, never shown.
    ByteVec hugeTitle = Frame(3, "TIT2", Text(0, ByteVec(2 << 20, 'A')));
    const ByteVec hugeTag = Tag(3, Concat({hugeTitle, ByteVec(1 << 20, 0)}));
    // Frames whose sizes reach far past the end of the file.
    ByteVec pastTheEnd = Concat({Bytes("ID3"), {3, 0, 0}, Syncsafe(0x0FFFFFFF), Bytes("TIT2"),
                                 BigEndian32(0x7FFFFFF0), {0, 0}, Text(0, Bytes("cut"))});
    struct Case {
        std::string name;
        ByteVec bytes;
    };
    const std::vector<Case> cases = {
        {"garbage v2.mp3", Concat({Bytes("ID3"), {4, 0, 0}, Syncsafe(3000), noise, mp3})},
        {"truncated v2.mp3", Concat({Bytes("ID3"), {3, 0, 0}, Syncsafe(500), Bytes("TIT2"), BigEndian32(40)})},
        {"huge frame.mp3", Concat({hugeTag, mp3})},
        {"past the end.mp3", pastTheEnd},
        {"truncated.ogg", ByteVec(media.readBytes(std::filesystem::path(media.makeAudio("whole.ogg", "ogg")).filename()))},
        {"not asf.wma", Concat({Bytes("RIFF"), noise})},
        {"noise.ogg", noise},
    };
    for (const Case& c : cases) {
        ByteVec bytes = c.bytes;
        if (c.name == "truncated.ogg") bytes.resize(200);
        const std::string path = media.writeBytes(c.name, bytes);
        EXPECT_EQ(ReadDisplayTitle(path, {true, TitleFormat::TitleArtist}), FileNameTitle(path)) << c.name;
    }
    // The failures a user would otherwise never see are in the log, with the file.
    for (const char* name : {"truncated.ogg", "not asf.wma", "noise.ogg"})
        EXPECT_GE(log.about(media.path(name)), 1) << name;

    // A broken tag costs the title, not the length: the pass goes on to fill in the time.
    const auto row = ReadRowTitleAndTime(media.path("garbage v2.mp3"), {});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->title, "garbage v2");
    EXPECT_EQ(row->time, "00:02");
}

TEST(TagFailures, BadUtf16TextBecomesValidUtf8) {
    MediaFolder media;
    using namespace test;
    // Odd byte count, lone surrogates of both kinds, no terminator.
    const ByteVec broken = Concat({Utf16({0xD800, 'a', 0xDC00, 0xDBFF}, false, true), {0x41}});
    const std::string path = media.writeBytes("utf16.mp3", Tag(3, Frame(3, "TIT2", Text(1, broken))));
    const std::string title = ReadDisplayTitle(path, {true, TitleFormat::TitleArtist});
    EXPECT_TRUE(IsValidUtf8(title)) << title;
    EXPECT_NE(title.find('a'), std::string::npos);
}

TEST(TagFailures, NonRegularFilesWithSongNamesGetTheFileNameTitleAtOnce) {
    MediaFolder media;
    TagLog log;
    for (const char* extension : {"mp3", "ogg", "wma", "cda"}) {
        for (const test::NonRegularFile& file : test::MakeNonRegularFiles(media.dirPath(), extension)) {
            EXPECT_TRUE(test::ReturnsPromptly(
                [&] { EXPECT_EQ(ReadDisplayTitle(file.path, {}), FileNameTitle(file.path)); }, file))
                << file.path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(ReadRowTitleAndTime(file.path, {})); }, file))
                << file.path;
        }
    }
    EXPECT_GE(log.about(media.path("fifo.ogg")), 1);
}

// --- Audio CD tracks ---------------------------------------------------------------

class CdTrackRows : public ::testing::Test {
protected:
    void SetUp() override {
        // Two audio tracks of 2 and 3 seconds in a .bin/.cue image, as a CD drive would
        // show them.
        const std::string bin = media.path("disc.bin");
        ASSERT_EQ(test::RunTool({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                 "sine=f=440:d=2[a];sine=f=660:d=3[b];[a][b]concat=n=2:v=0:a=1", "-ar", "44100",
                                 "-ac", "2", "-f", "s16le", "-c:a", "pcm_s16le", bin}),
                  0);
        cue = media.path("disc.cue");
        std::ofstream(cue) << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                              "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n";
        if (const char* old = std::getenv("TAVORA_CD_DEVICE")) previous = old;
        setenv("TAVORA_CD_DEVICE", cue.c_str(), 1);
    }
    void TearDown() override {
        if (previous) setenv("TAVORA_CD_DEVICE", previous->c_str(), 1);
        else unsetenv("TAVORA_CD_DEVICE");
    }
    std::string Record(const std::string& name, int track) {
        ByteVec record = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'C', 'D', 'D', 'A', 'f', 'm', 't', ' ', 24, 0, 0, 0, 1, 0,
                          static_cast<uint8_t>(track), 0};
        record.resize(44, 0);
        return media.writeBytes(name, record);
    }

    MediaFolder media;
    std::string cue;
    std::optional<std::string> previous;
};

TEST_F(CdTrackRows, ARecordGetsTheFileNameTitleAndTheLengthOfItsTrack) {
    const auto second = ReadRowTitleAndTime(Record("Track02.cda", 2), {true, TitleFormat::ArtistTitle});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->title, "Track02");
    EXPECT_EQ(second->time, "00:03");
    const auto first = ReadRowTitleAndTime(Record("Track01.CDA", 1), {});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->title, "Track01");
    EXPECT_EQ(first->time, "00:02");
}

TEST_F(CdTrackRows, RecordsThatNameNoTrackOfTheDiscStayAsTheyAre) {
    EXPECT_FALSE(ReadRowTitleAndTime(Record("Track07.cda", 7), {}));  // the disc has two tracks
    ByteVec notRecord = test::Bytes("RIFF\x24\0\0\0CDDAxxxx", 16);
    notRecord.resize(44, 0);
    EXPECT_FALSE(ReadRowTitleAndTime(media.writeBytes("broken.cda", notRecord), {}));
    setenv("TAVORA_CD_DEVICE", media.path("no-such.cue").c_str(), 1);
    EXPECT_FALSE(ReadRowTitleAndTime(Record("Track02.cda", 2), {}));  // no disc
}

}  // namespace
}  // namespace tavora
