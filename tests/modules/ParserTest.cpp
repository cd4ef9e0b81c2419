// The modules' own parsers: ICY header lines and metadata framing, ".cda" records,
// RIFF/WAVE headers, and the equaliser band's response.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "CdaRecord.h"
#include "IcyProtocol.h"
#include "PeakingEq.h"
#include "WavFormat.h"
#include "tavora/bass_api.h"

namespace tavora::audio {
namespace {

TEST(IcyHeadersTest, CollectsIcyLinesAndTheMetadataInterval) {
    IcyHeaders headers;
    for (const char* line : {"HTTP/1.0 200 OK\r\n", "Content-Type: audio/mpeg\r\n", "icy-br:128\r\n",
                             "icy-name:Test Radio MP3\r\n", "ICY-METAINT: 16000\r\n", "\r\n"})
        headers.AddLine(line);
    EXPECT_TRUE(headers.complete);
    EXPECT_EQ(headers.status, 200);
    EXPECT_EQ(headers.metaInterval, 16000);
    EXPECT_EQ(headers.contentLength, -1);
    EXPECT_EQ(headers.contentType, "audio/mpeg");
    ASSERT_EQ(headers.icyLines.size(), 3u);
    const std::string list = JoinTagList(headers.icyLines);
    EXPECT_EQ(list, std::string("icy-br:128\0icy-name:Test Radio MP3\0ICY-METAINT: 16000\0\0", 55));
}

TEST(IcyHeadersTest, RedirectStartsAfreshAndBadNumbersAreIgnored) {
    IcyHeaders headers;
    headers.AddLine("HTTP/1.1 302 Found");
    headers.AddLine("icy-name:old");
    headers.AddLine("");
    headers.AddLine("ICY 200 OK");
    headers.AddLine("icy-metaint:-5");
    headers.AddLine("Content-Length: 12x");
    headers.AddLine("");
    EXPECT_EQ(headers.status, 200);
    EXPECT_TRUE(headers.icyLines.size() == 1 && headers.icyLines[0] == "icy-metaint:-5");
    EXPECT_EQ(headers.metaInterval, 0);
    EXPECT_EQ(headers.contentLength, -1);
}

TEST(IcyHeadersTest, TooMuchHeaderIsNoticedEvenAcrossStatusLines) {
    IcyHeaders headers;
    const std::string padding = "X-Padding: " + std::string(1000, 'x') + "\r\n";
    while (!headers.TooLarge() && headers.received < 10 * IcyHeaders::kMaxBytes) {
        headers.AddLine("HTTP/1.0 200 OK\r\n");  // a new status line starts the record afresh...
        headers.AddLine(padding);
    }
    // ...but not the count of what arrived.
    EXPECT_TRUE(headers.TooLarge());
    EXPECT_LE(headers.received, IcyHeaders::kMaxBytes + padding.size() + 17);
}

TEST(IcyDemuxerTest, SeparatesAudioFromTitlesEvenWhenBlocksAreSplit) {
    const int interval = 10;
    std::string wire;
    std::string audio;
    auto addAudio = [&](char c) {
        wire.append(interval, c);
        audio.append(interval, c);
    };
    auto addMeta = [&](const std::string& text) {
        const size_t blocks = (text.size() + 15) / 16;
        wire.push_back(static_cast<char>(blocks));
        std::string padded = text;
        padded.resize(blocks * 16, '\0');
        wire += padded;
    };
    addAudio('a');
    addMeta("StreamTitle='One';");
    addAudio('b');
    addMeta("");
    addAudio('c');
    addMeta("StreamTitle='Don't Stop';");
    addAudio('d');
    for (size_t chunk : {1u, 3u, 7u, 64u}) {
        std::string gotAudio;
        std::vector<std::string> titles;
        IcyDemuxer demuxer(interval, [&](const uint8_t* p, size_t n) { gotAudio.append(reinterpret_cast<const char*>(p), n); },
                           [&](std::string meta) { titles.push_back(std::move(meta)); });
        for (size_t at = 0; at < wire.size(); at += chunk)
            demuxer.Feed(reinterpret_cast<const uint8_t*>(wire.data()) + at, std::min(chunk, wire.size() - at));
        EXPECT_EQ(gotAudio, audio) << chunk;
        ASSERT_EQ(titles.size(), 2u);
        EXPECT_EQ(titles[0], "StreamTitle='One';");
        EXPECT_EQ(titles[1], "StreamTitle='Don't Stop';");
    }
}

TEST(CdaRecordTest, ReadsTheTrackNumber) {
    uint8_t record[44] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'C', 'D', 'D', 'A', 'f', 'm', 't', ' ', 24, 0, 0, 0, 1, 0, 7, 0,
                          0x78, 0x56, 0x34, 0x12, 0x10, 0, 0, 0, 0x20, 0, 0, 0};
    auto parsed = ParseCdaRecord(record, sizeof record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->track, 7);
    EXPECT_EQ(parsed->serial, 0x12345678u);
    EXPECT_EQ(parsed->startSector, 16u);
    EXPECT_EQ(parsed->lengthSectors, 32u);
    EXPECT_FALSE(ParseCdaRecord(record, 43));
    record[22] = 0;
    EXPECT_FALSE(ParseCdaRecord(record, sizeof record));
    record[22] = 1;
    record[8] = 'X';
    EXPECT_FALSE(ParseCdaRecord(record, sizeof record));
}

std::vector<uint8_t> WavBytes(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize,
                              size_t actualData, bool extensible = false, bool oddChunk = false) {
    std::vector<uint8_t> out;
    auto put = [&](const void* p, size_t n) { out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
    auto put32 = [&](uint32_t v) { put(&v, 4); };
    auto put16 = [&](uint16_t v) { put(&v, 2); };
    put("RIFF", 4);
    put32(0);
    put("WAVE", 4);
    if (oddChunk) {
        put("LIST", 4);
        put32(3);
        put("abc\0", 4);  // odd size, padded
    }
    put("fmt ", 4);
    put32(extensible ? 40 : 16);
    put16(extensible ? 0xFFFE : format);
    put16(channels);
    put32(rate);
    put32(rate * channels * bits / 8);
    put16(static_cast<uint16_t>(channels * bits / 8));
    put16(bits);
    if (extensible) {
        put16(22);
        put16(bits);
        put32(0);
        put16(format);
        out.resize(out.size() + 14, 0);
    }
    put("data", 4);
    put32(dataSize);
    out.resize(out.size() + actualData, 0);
    return out;
}

TEST(WavFormatTest, AcceptsTheUsualLayoutsAndClampsSizesToTheFile) {
    auto bytes = WavBytes(1, 2, 44100, 16, 400, 400, false, true);
    MemoryByteSource source(bytes.data(), bytes.size());
    auto layout = ParseWavHeader(source);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->channels, 2);
    EXPECT_EQ(layout->blockAlign, 4);
    EXPECT_EQ(layout->dataBytes, 400);

    bytes = WavBytes(3, 6, 48000, 32, 0xFFFFFFFF, 6 * 4 * 10 + 3, true);
    MemoryByteSource streamed(bytes.data(), bytes.size());
    layout = ParseWavHeader(streamed);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->isFloat);
    EXPECT_EQ(layout->dataBytes, 6 * 4 * 10);  // whole frames only

    bytes = WavBytes(1, 1, 8000, 24, 1000, 30);
    MemoryByteSource truncated(bytes.data(), bytes.size());
    layout = ParseWavHeader(truncated);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataBytes, 30);
}

TEST(WavFormatTest, RefusesWhatItCannotPlay) {
    for (auto bytes : {WavBytes(2, 2, 44100, 4, 100, 100),  // ADPCM
                       WavBytes(1, 0, 44100, 16, 100, 100), WavBytes(1, 9, 44100, 16, 100, 100),
                       WavBytes(1, 2, 10, 16, 100, 100), WavBytes(1, 2, 44100, 12, 100, 100),
                       WavBytes(3, 2, 44100, 16, 100, 100)}) {
        MemoryByteSource source(bytes.data(), bytes.size());
        EXPECT_FALSE(ParseWavHeader(source));
    }
    const uint8_t noData[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 0xF0, 0xFF, 0xFF, 0x7F};
    MemoryByteSource source(noData, sizeof noData);
    EXPECT_FALSE(ParseWavHeader(source));
}

double BandGainDb(PeakingEq& eq, double frequency, int rate) {
    std::vector<float> x(static_cast<size_t>(rate));
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.1 * std::sin(2 * M_PI * frequency * i / rate));
    eq.Process(x.data(), x.size(), 1);
    double peak = 0;
    for (size_t i = x.size() / 2; i < x.size(); ++i) peak = std::max(peak, std::fabs(static_cast<double>(x[i])));
    return 20 * std::log10(peak / 0.1);
}

TEST(PeakingEqTest, GainAtTheCentreOnlyAndBypassAboveNyquist) {
    PeakingEq eq;
    eq.Configure(44100, 1000, 12, 1.0, 0);
    EXPECT_NEAR(BandGainDb(eq, 1000, 44100), 12.0, 0.1);
    PeakingEq low;
    low.Configure(44100, 1000, 12, 1.0, 0);
    EXPECT_NEAR(BandGainDb(low, 60, 44100), 0.0, 0.3);
    PeakingEq edge;
    edge.Configure(22050, 16000, 12, 1.0, 0);  // above Nyquist at this rate: untouched
    EXPECT_NEAR(BandGainDb(edge, 5000, 22050), 0.0, 0.01);
    PeakingEq cut;
    cut.Configure(48000, 3000, -12, 1.0, 0);
    EXPECT_NEAR(BandGainDb(cut, 3000, 48000), -12.0, 0.1);
}

TEST(VersionTest, AnswersTheExpectedVersion) { EXPECT_EQ(BASS_GetVersion(), 0x00010002u); }

}  // namespace
}  // namespace tavora::audio
