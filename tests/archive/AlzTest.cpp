// UnAlzipper.so: the ALZ fixtures (deflate, ALZ-bzip2, every size width, ZipCrypto),
// volume sets, multi-block bzip2, the broken archives of the format notes, and
// archives made here whose names or sizes lie.
#include <bzlib.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>

#include "ArchiveTestSupport.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// ---- A small ALZ writer for archives the fixtures do not have ----------------------

struct AlzItem {
    std::string name;  // raw bytes of the name
    Bytes packed;
    uint32_t crc = 0;
    uint64_t size = 0;
    uint8_t attributes = 0x20;
    uint8_t method = 0;
    unsigned width = 4;  // 0: no size block
};

void PutLe(Bytes& out, uint64_t value, unsigned n) {
    for (unsigned i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

Bytes BuildAlz(const std::vector<AlzItem>& items) {
    Bytes out{'A', 'L', 'Z', 1, 10, 0, 0, 0};
    for (const auto& item : items) {
        out.insert(out.end(), {'B', 'L', 'Z', 1});
        PutLe(out, item.name.size(), 2);
        out.push_back(item.attributes);
        PutLe(out, 0x58B16DAF, 4);
        out.push_back(static_cast<unsigned char>(item.width << 4));
        out.push_back(0);
        if (item.width) {
            out.push_back(item.method);
            out.push_back(0);
            PutLe(out, item.crc, 4);
            PutLe(out, item.packed.size(), item.width);
            PutLe(out, item.size, item.width);
        }
        out.insert(out.end(), item.name.begin(), item.name.end());
        out.insert(out.end(), item.packed.begin(), item.packed.end());
    }
    out.insert(out.end(), {'C', 'L', 'Z', 1, 0, 0, 0, 0, 0, 0, 0, 0, 'C', 'L', 'Z', 2});
    return out;
}

AlzItem Stored(const std::string& name, const Bytes& data) {
    return {name, data, Crc32(data), data.size()};
}

// bzip2 blocks reframed the ALZ way: no stream header, "DLZ\x01" instead of magic, block
// CRC and randomised bit, "DLZ\x02" instead of the end magic and combined CRC.
Bytes AlzBzip2(const Bytes& data, int* blocks) {
    *blocks = 0;
    Bytes standard(data.size() + data.size() / 50 + 1024);
    unsigned length = static_cast<unsigned>(standard.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(standard.data()), &length,
                                       reinterpret_cast<char*>(const_cast<unsigned char*>(data.data())),
                                       static_cast<unsigned>(data.size()), 1, 0, 0),
              BZ_OK);
    const uint64_t bitCount = uint64_t{length} * 8;
    auto bit = [&](uint64_t i) { return (standard[i / 8] >> (7 - i % 8)) & 1; };
    Bytes out;
    uint64_t outBits = 0;
    auto put = [&](unsigned b) {
        if (outBits % 8 == 0) out.push_back(0);
        out.back() |= static_cast<unsigned char>(b << (7 - outBits % 8));
        ++outBits;
    };
    auto put32 = [&](uint32_t v) {
        for (int i = 31; i >= 0; --i) put((v >> i) & 1);
    };
    constexpr uint64_t kBlockMagic = 0x314159265359, kEndMagic = 0x177245385090, kMask = (1ull << 48) - 1;
    uint64_t pos = 32;  // after "BZh1"
    for (;;) {
        uint64_t magic = 0;
        for (int i = 0; i < 48; ++i) magic = (magic << 1) | bit(pos + i);
        if (magic == kEndMagic) break;
        EXPECT_EQ(magic, kBlockMagic);
        put32(0x444C5A01);
        ++*blocks;
        uint64_t body = pos + 48 + 32 + 1, end = body;
        // Up to the next magic: a 48-bit window slides over the bits.
        uint64_t window = 0;
        for (uint64_t i = body; i < bitCount; ++i) {
            window = ((window << 1) | bit(i)) & kMask;
            if (i - body >= 47 && (window == kBlockMagic || window == kEndMagic)) {
                end = i - 47;
                break;
            }
        }
        for (uint64_t i = body; i < end; ++i) put(bit(i));
        pos = end;
    }
    put32(0x444C5A02);
    return out;
}

// Cuts a single-volume archive into volumes of `volumeSize` bytes: x.alz, x.a00, ...
void SplitAlz(const Bytes& whole, size_t volumeSize, const std::string& firstPath) {
    const std::string stem = firstPath.substr(0, firstPath.size() - 4);
    const Bytes tail{'C', 'L', 'Z', 1, 0, 0, 0, 0, 0, 0, 0, 0, 'C', 'L', 'Z', 3};
    size_t at = 0, index = 0;
    while (at < whole.size()) {
        Bytes volume;
        if (index > 0) volume = {'A', 'L', 'Z', 1, 10, 0, static_cast<unsigned char>(index), 0};
        const size_t room = volumeSize - volume.size() - tail.size();
        const size_t n = std::min(room, whole.size() - at);
        volume.insert(volume.end(), whole.begin() + static_cast<long>(at), whole.begin() + static_cast<long>(at + n));
        at += n;
        if (at < whole.size()) volume.insert(volume.end(), tail.begin(), tail.end());
        char ext[8];
        std::snprintf(ext, sizeof ext, ".%c%02zu", static_cast<char>('a' + (index - 1) / 100), (index - 1) % 100);
        WriteBytes(index == 0 ? firstPath : stem + ext, volume);
        ++index;
    }
}

// ---- Driving the module -------------------------------------------------------------

struct Extraction {
    int listed = -1;
    std::vector<ListedEntry> entries;
    std::vector<std::string> failed;
    std::vector<std::string> paths;  // GetszDestPathFileName of each success
};

Extraction ExtractAlz(const std::string& archive, const std::string& dest, const char* password = nullptr) {
    Extraction result;
    TavoraAlz* alz = UnAlzOpen(archive.c_str());
    if (!alz) return result;
    if (password) UnAlzSetPassword(alz, password);
    result.listed = UnAlzGetFileList(alz, CollectEntry, &result.entries);
    for (const auto& e : result.entries) {
        if (UnAlzSetCurrentFile(alz, e.position) && UnAlzExtractCurrentFile(alz, dest.c_str())) {
            result.paths.push_back(GetszDestPathFileName(alz));
            EXPECT_EQ(fs::path(result.paths.back()).filename(), fs::path(GetszDestFileName(alz)).filename());
        } else {
            result.failed.push_back(e.name);
        }
    }
    UnAlzClose(alz);
    return result;
}

const std::map<std::string, uint32_t> kNormalTree{
    {"binary.bin", 0xb70b4c26}, {"empty.txt", 0},          {"euckr_content.txt", 0x3e3e0f3f},
    {"hello.txt", 0x1b239eb9},  {"large.txt", 0xfe5598ec}, {"repeated.txt", 0x33ab076a},
    {"뷁테스트.txt", 0x64205eb3}, {"한글파일.txt", 0xf223d6ec}, {"subdir/", 0},
    {"subdir/inner.txt", 0xda872f18}, {"subdir/nested/", 0}, {"subdir/nested/deep.txt", 0xaab59c3d}};

const std::map<std::string, uint32_t> kGeneratedTree{
    {"readme.txt", 0xd07081bb}, {"tiny.txt", 0x27ad4247}, {"빈폴더/", 0}, {"음악/", 0}, {"음악/가요/", 0},
    {"음악/가요/똠방각하 - 뷁.txt", 0x1ef92451}, {"음악/가요/big_text.bin", 0xebde1386},
    {"음악/noise.bin", 0xf78e534a}, {"음악/빈파일.txt", 0}};

TEST(AlzModule, FixturesExtractWithTheirChecksums) {
    for (const char* name : {"alz/normal.alz", "alz/deflate.alz", "alz/bzip2.alz"}) {
        ScratchFolder scratch;
        const Extraction x = ExtractAlz(Fixture(name), scratch.Path("out"));
        EXPECT_TRUE(x.failed.empty()) << name;
        EXPECT_EQ(Tree(scratch.Path("out")), std::string(name) == "alz/normal.alz" ? kNormalTree : kGeneratedTree) << name;
        for (const auto& path : x.paths) EXPECT_EQ(path.rfind(scratch.Path("out") + "/", 0), 0u) << path;
    }
    ScratchFolder scratch;
    ExtractAlz(Fixture("alz/widths_1_2_4_8.alz"), scratch.Path("out"));
    EXPECT_EQ(Tree(scratch.Path("out")), (std::map<std::string, uint32_t>{{"w1_store.txt", 0xaf707a64},
                                                                         {"w2_deflate.txt", 0xb604a24f},
                                                                         {"w4_deflate.bin", 0x6665bff7},
                                                                         {"w8_store.bin", 0x3f46d037}}));
}

TEST(AlzModule, EncryptedEntriesNeedTheirPassword) {
    ScratchFolder scratch;
    // Without a password (the program has none) only the unencrypted empty file comes out.
    const Extraction none = ExtractAlz(Fixture("alz/zip20.alz"), scratch.Path("none"));
    EXPECT_EQ(none.failed.size(), 9u);
    EXPECT_EQ(Tree(scratch.Path("none")), (std::map<std::string, uint32_t>{{"empty.txt", 0}}));
    const Extraction wrong = ExtractAlz(Fixture("alz/zip20.alz"), scratch.Path("wrong"), "test1235");
    EXPECT_EQ(wrong.failed.size(), 9u);
    EXPECT_FALSE(HasLeftovers(scratch.Path()));
    const Extraction right = ExtractAlz(Fixture("alz/zip20.alz"), scratch.Path("right"), "test1234");
    EXPECT_TRUE(right.failed.empty());
    EXPECT_EQ(Tree(scratch.Path("right")), kNormalTree);
}

TEST(AlzModule, VolumeSetsAreJoinedAndAMissingVolumeFailsCleanly) {
    ScratchFolder scratch;
    const Bytes whole = ReadBytes(Fixture("alz/deflate.alz"));
    fs::create_directories(scratch.Path("set"));
    SplitAlz(whole, 64 * 1024, scratch.Path("set/music.alz"));
    ASSERT_TRUE(fs::exists(scratch.Path("set/music.a04")));
    const Extraction all = ExtractAlz(scratch.Path("set/music.alz"), scratch.Path("out"));
    EXPECT_TRUE(all.failed.empty());
    EXPECT_EQ(Tree(scratch.Path("out")), kGeneratedTree);

    fs::remove(scratch.Path("set/music.a02"));
    const Extraction cut = ExtractAlz(scratch.Path("set/music.alz"), scratch.Path("cut"));
    EXPECT_LT(cut.entries.size(), all.entries.size());
    for (const auto& path : cut.paths) EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(HasLeftovers(scratch.Path("cut")));
}

TEST(AlzModule, MultiBlockBzip2WithRunsDecodes) {
    Bytes data;
    uint32_t seed = 12345;
    while (data.size() < 1200000) {
        seed = seed * 1103515245 + 12345;
        const unsigned kind = (seed >> 16) % 100;
        if (kind == 0) {
            data.insert(data.end(), 4 + (seed >> 8) % 200, static_cast<unsigned char>(seed >> 24));
        } else {
            data.push_back(static_cast<unsigned char>('a' + (seed >> 20) % 8));
        }
    }
    AlzItem item = Stored("음악/big.bin", data);
    int blocks = 0;
    item.packed = AlzBzip2(data, &blocks);
    EXPECT_GE(blocks, 4);  // 100k blocks: later markers start at arbitrary bit offsets
    item.method = 1;
    ScratchFolder scratch;
    WriteBytes(scratch.Path("b.alz"), BuildAlz({item}));
    const Extraction x = ExtractAlz(scratch.Path("b.alz"), scratch.Path("out"));
    EXPECT_TRUE(x.failed.empty());
    EXPECT_EQ(ReadBytes(scratch.Path("out/음악/big.bin")), data);
}

TEST(AlzModule, BrokenArchivesAreRefusedOrSurvived) {
    ScratchFolder scratch;
    const auto run = [&](const char* name, const char* password = nullptr) {
        return ExtractAlz(Fixture(std::string("alz/quirks/") + name), scratch.Path(name), password);
    };
    EXPECT_EQ(run("bad_crc.alz").failed, std::vector<std::string>{"a.txt"});
    EXPECT_EQ(run("unknown_method3.alz").failed, std::vector<std::string>{"a.txt"});
    EXPECT_EQ(run("password_wrong_check_byte.alz", "secret").failed, std::vector<std::string>{"a.txt"});
    for (const char* name : {"bad_crc.alz", "unknown_method3.alz", "password_wrong_check_byte.alz"})
        EXPECT_TRUE(!fs::exists(scratch.Path(name)) || fs::is_empty(scratch.Path(name))) << name;
    // Cut inside the data of an entry: the entries before it are listed and extracted.
    const Extraction truncated = run("truncated_in_data.alz");
    EXPECT_EQ(truncated.listed, 6);
    EXPECT_TRUE(truncated.failed.empty());
    EXPECT_TRUE(fs::exists(scratch.Path("truncated_in_data.alz/음악/가요/big_text.bin")));
    for (const char* name : {"no_end_records.alz", "empty_deflate_with_sizes.alz", "empty_store_with_sizes.alz",
                             "dir_without_trailing_sep.alz"})
        EXPECT_TRUE(run(name).failed.empty()) << name;
    EXPECT_TRUE(fs::is_directory(scratch.Path("dir_without_trailing_sep.alz/폴더")));
    EXPECT_FALSE(HasLeftovers(scratch.Path()));
}

TEST(AlzModule, HostileNamesAndLinksStayInsideTheFolder) {
    ScratchFolder scratch;
    const std::string outside = scratch.Path("outside");
    fs::create_directories(outside);
    const Bytes x{'x'};
    AlzItem link = Stored("lnk", Bytes(outside.begin(), outside.end()));
    link.attributes = 0x40;
    const std::vector<AlzItem> items{Stored("../up.txt", x),        Stored("..\\up2.txt", x),
                                     Stored(outside + "/abs.txt", x), Stored("a/../../up3.txt", x),
                                     Stored("C:up4.txt", x),         link,
                                     Stored("planted/in.txt", x),    Stored(std::string(300, 'n') + ".txt", x),
                                     Stored("ok.txt", x)};
    WriteBytes(scratch.Path("evil.alz"), BuildAlz(items));
    const std::string dest = scratch.Path("dest");
    fs::create_directories(dest);
    ASSERT_EQ(symlink(outside.c_str(), (dest + "/planted").c_str()), 0);
    const Extraction result = ExtractAlz(scratch.Path("evil.alz"), dest);
    ASSERT_EQ(result.listed, 9);
    EXPECT_EQ(result.paths, std::vector<std::string>{dest + "/ok.txt"});
    for (size_t i = 0; i < 8; ++i)
        if (i != 6) {
            EXPECT_FALSE(result.entries[i].isSafe) << result.entries[i].name;
        }
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_FALSE(fs::exists(scratch.Path("up.txt")));
    EXPECT_FALSE(fs::exists(scratch.Path("up3.txt")));
}

TEST(AlzModule, OutputNeverExceedsTheDeclaredSize) {
    ScratchFolder scratch;
    // Stored data longer than the size it declares, and deflate data that inflates past it.
    AlzItem stored = Stored("stored.mp3", Bytes(1000, 's'));
    stored.size = 10;
    const Bytes zeros(1 << 20, 0);
    AlzItem bomb = Stored("bomb.mp3", zeros);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    bomb.packed.resize(deflateBound(&z, zeros.size()));
    z.next_in = const_cast<unsigned char*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = bomb.packed.data();
    z.avail_out = static_cast<uInt>(bomb.packed.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    bomb.packed.resize(z.total_out);
    deflateEnd(&z);
    bomb.method = 2;
    bomb.size = 4096;
    WriteBytes(scratch.Path("lies.alz"), BuildAlz({stored, bomb, Stored("fine.mp3", Bytes(5, 'f'))}));
    const Extraction result = ExtractAlz(scratch.Path("lies.alz"), scratch.Path("out"));
    EXPECT_EQ(result.failed, (std::vector<std::string>{"stored.mp3", "bomb.mp3"}));
    EXPECT_EQ(Tree(scratch.Path("out")), (std::map<std::string, uint32_t>{{"fine.mp3", Crc32(Bytes(5, 'f'))}}));
}

TEST(AlzModule, DamagedHeadersEndTheListing) {
    ScratchFolder scratch;
    Bytes good = BuildAlz({Stored("a.txt", {'a'}), Stored("b.txt", {'b'})});
    Bytes badWidth = good;
    badWidth[8 + 11] = 0x30;  // size fields 3 bytes wide
    Bytes hugePacked = good;
    for (int i = 0; i < 4; ++i) hugePacked[8 + 13 + 6 + i] = 0xFF;  // packed size 4 GiB
    Bytes garbageAfter(good.begin(), good.end() - 16);
    garbageAfter.insert(garbageAfter.end(), {'X', 'Y', 'Z', 'W', 1, 2, 3});
    WriteBytes(scratch.Path("width.alz"), badWidth);
    WriteBytes(scratch.Path("huge.alz"), hugePacked);
    WriteBytes(scratch.Path("garbage.alz"), garbageAfter);
    WriteBytes(scratch.Path("header-only.alz"), Bytes(good.begin(), good.begin() + 8));
    WriteBytes(scratch.Path("not.alz"), {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ExtractAlz(scratch.Path("width.alz"), scratch.Path("o1")).listed, -1);
    EXPECT_EQ(ExtractAlz(scratch.Path("huge.alz"), scratch.Path("o2")).listed, -1);
    const Extraction partial = ExtractAlz(scratch.Path("garbage.alz"), scratch.Path("o3"));
    EXPECT_EQ(partial.listed, 2);
    EXPECT_TRUE(partial.failed.empty());
    EXPECT_EQ(ExtractAlz(scratch.Path("header-only.alz"), scratch.Path("o4")).listed, 0);
    EXPECT_EQ(UnAlzOpen(scratch.Path("not.alz").c_str()), nullptr);
    EXPECT_EQ(UnAlzOpen(scratch.Path("missing.alz").c_str()), nullptr);
    // A position that is not an entry's start selects nothing.
    TavoraAlz* alz = UnAlzOpen(scratch.Path("garbage.alz").c_str());
    ASSERT_NE(alz, nullptr);
    EXPECT_EQ(UnAlzSetCurrentFile(alz, 9), 0);
    EXPECT_EQ(UnAlzExtractCurrentFile(alz, scratch.Path("o5").c_str()), 0);
    EXPECT_STREQ(GetszDestPathFileName(alz), "");
    UnAlzClose(alz);
}

}  // namespace
}  // namespace tavora::test
