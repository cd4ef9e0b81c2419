// The thread contract of the archive modules: listings and extractions of the three
// kinds on several threads at once (the program lists each kind on its own worker)
// give the same files as one after the other.
#include <gtest/gtest.h>

#include <thread>

#include "ArchiveTestSupport.h"

namespace tavora::test {
namespace {

void ExtractRar(const std::string& archive, const std::string& dest) {
    std::vector<ListedEntry> entries;
    UnRar_list(archive.c_str(), CollectEntry, &entries);
    for (const auto& e : entries) UnRar_extract(e.name.c_str(), archive.c_str(), "abcdefgh", dest.c_str());
}

void ExtractAlz(const std::string& archive, const std::string& dest) {
    TavoraAlz* alz = UnAlzOpen(archive.c_str());
    if (!alz) return;
    std::vector<ListedEntry> entries;
    UnAlzGetFileList(alz, CollectEntry, &entries);
    for (const auto& e : entries)
        if (UnAlzSetCurrentFile(alz, e.position)) UnAlzExtractCurrentFile(alz, dest.c_str());
    UnAlzClose(alz);
}

TEST(ArchiveModules, SeveralKindsOnSeveralThreadsAtOnce) {
    ScratchFolder scratch;
    const std::vector<std::pair<std::string, bool>> jobs{{Fixture("rar/rar3-solid.rar"), true},
                                                         {Fixture("rar/test_read_format_rar5_multiple_files_solid.rar"), true},
                                                         {Fixture("rar/test_read_format_rar_compress_normal.rar"), true},
                                                         {Fixture("alz/normal.alz"), false},
                                                         {Fixture("alz/bzip2.alz"), false},
                                                         {Fixture("alz/deflate.alz"), false}};
    const auto run = [&](size_t i, const std::string& dest) {
        if (jobs[i].second) ExtractRar(jobs[i].first, dest);
        else ExtractAlz(jobs[i].first, dest);
    };
    for (size_t i = 0; i < jobs.size(); ++i) run(i, scratch.Path("serial" + std::to_string(i)));
    std::vector<std::thread> threads;
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < jobs.size(); ++i)
            threads.emplace_back(run, i, scratch.Path("parallel" + std::to_string(round) + "-" + std::to_string(i)));
    for (auto& t : threads) t.join();
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < jobs.size(); ++i) {
            const auto serial = Tree(scratch.Path("serial" + std::to_string(i)));
            EXPECT_FALSE(serial.empty()) << jobs[i].first;
            EXPECT_EQ(Tree(scratch.Path("parallel" + std::to_string(round) + "-" + std::to_string(i))), serial)
                << jobs[i].first;
        }
}

}  // namespace
}  // namespace tavora::test
