// Songs that are no regular files (a FIFO named "x.mp3", a link to /dev/zero, a
// folder): every tag reader and the length probe give nothing, at once, instead of
// blocking the tag thread in open() or reading for ever.

#include <gtest/gtest.h>

#include "../support/NonRegularFiles.h"
#include "Id3v2Reader.h"
#include "MediaFiles.h"
#include "Mp3TagReader.h"
#include "OggTagReader.h"
#include "RowTitleTime.h"
#include "TrackLength.h"
#include "WmaTagReader.h"

namespace tavora {
namespace {

TEST(NonRegularFileTest, TagReadersAndTheLengthProbeGiveNothingAtOnce) {
    test::MediaFolder media;
    for (const char* extension : {"mp3", "ogg", "wma", "wav"}) {
        for (const test::NonRegularFile& file : test::MakeNonRegularFiles(media.dirPath(), extension)) {
            const std::string& path = file.path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_EQ(ReadMp3Tags(path, true), TagRecord{}); }, file)) << path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(ReadId3v2File(path)); }, file)) << path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_EQ(ReadOggTags(path), TagRecord{}); }, file)) << path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_EQ(ReadWmaTags(path), TagRecord{}); }, file)) << path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(ProbeAudioFile(path)); }, file)) << path;
            EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(ReadRowTitleAndTime(path, {})); }, file)) << path;
        }
    }
}

}  // namespace
}  // namespace tavora
