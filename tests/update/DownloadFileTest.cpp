// Fetching one file: complete files land in place, anything else leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DownloadFile.h"
#include "LoopbackWebServer.h"
#include "TempFolder.h"
#include "UpdateTestFiles.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;



// Only the target itself may be in the folder: no temporary leftovers.
std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

class DownloadFileTest : public ::testing::Test {
protected:
    test::TempFolder served_{"served"};
    test::TempFolder into_{"into"};
};

TEST_F(DownloadFileTest, AWholeFileLandsInPlaceWithItsProgress) {
    const std::string body(300000, 'x');
    test::WriteFile(served_.path() / "a.so", body);
    test::LoopbackWebServer server(served_.str());
    ASSERT_TRUE(server.running());
    std::vector<int> seen;
    DownloadOptions options;
    options.progress = [&](int percent) { seen.push_back(percent); };
    const DownloadResult result = DownloadFile(server.url("a.so"), (into_.path() / "a.so").string(), options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.httpStatus, 200);
    EXPECT_EQ(test::ReadFile(into_.path() / "a.so"), body);
    EXPECT_EQ(FilesIn(into_.path()), std::vector<std::string>{"a.so"});
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST_F(DownloadFileTest, AnErrorStatusKeepsThePreviousFile) {
    test::LoopbackWebServer server(served_.str());
    test::WriteFile(into_.path() / "a.so", "old");
    const DownloadResult result = DownloadFile(server.url("a.so"), (into_.path() / "a.so").string());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.httpStatus, 404);
    EXPECT_EQ(test::ReadFile(into_.path() / "a.so"), "old");
    EXPECT_EQ(FilesIn(into_.path()), std::vector<std::string>{"a.so"});
}

TEST_F(DownloadFileTest, ACutBodyLeavesNothing) {
    test::LoopbackWebServer server("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(100, 'y'),
                               test::LoopbackWebServer::After::Close);
    const DownloadResult result = DownloadFile(server.base() + "/a.so", (into_.path() / "a.so").string());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST_F(DownloadFileTest, AStalledServerIsLeftAfterTheStallLimit) {
    test::LoopbackWebServer server("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(100, 'y'),
                               test::LoopbackWebServer::After::Hold);
    DownloadOptions options;
    options.stallLimit = std::chrono::seconds(1);
    const DownloadResult result = DownloadFile(server.base() + "/a.so", (into_.path() / "a.so").string(), options);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST_F(DownloadFileTest, AServerThatNeverAnswersIsLeftToo) {
    test::LoopbackWebServer server("", test::LoopbackWebServer::After::Hold);
    DownloadOptions options;
    options.stallLimit = std::chrono::seconds(1);
    EXPECT_FALSE(DownloadFile(server.base() + "/a.so", (into_.path() / "a.so").string(), options).ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST_F(DownloadFileTest, ATricklingServerIsLeftAtTheMinimumRateOrTheDeadline) {
    // Forty bytes at two a second: complete after twenty seconds, if it were let be.
    const std::string trickle = "HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n" + std::string(40, 't');
    struct Case {
        const char* what;
        int64_t minBytesPerSecond;
        std::chrono::seconds stallLimit, deadline;
    };
    const Case cases[] = {
        {"under the minimum rate", 64, std::chrono::seconds(2), std::chrono::seconds(3600)},
        {"past the deadline", 1, std::chrono::seconds(3600), std::chrono::seconds(2)},
    };
    for (const Case& c : cases) {
        test::LoopbackWebServer server(trickle, test::LoopbackWebServer::After::Trickle);
        DownloadOptions options;
        options.minBytesPerSecond = c.minBytesPerSecond;
        options.stallLimit = c.stallLimit;
        options.deadline = c.deadline;
        const DownloadResult result = DownloadFile(server.base() + "/a.so", (into_.path() / "a.so").string(), options);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.error.rfind("too slow", 0), 0u) << c.what << ": " << result.error;
        EXPECT_TRUE(FilesIn(into_.path()).empty()) << c.what;
    }
}

TEST_F(DownloadFileTest, RedirectsAreFollowedOnlyOnTheSameServer) {
    test::WriteFile(served_.path() / "a.so", "the file");
    test::LoopbackWebServer elsewhere(served_.str());
    auto redirect = [](const std::string& to) {
        return "HTTP/1.1 302 Found\r\nLocation: " + to + "\r\nContent-Length: 0\r\n\r\n";
    };
    // A server that sends its first request on to a path of its own, which it then answers.
    test::LoopbackWebServer same(redirect("/moved/a.so"), test::LoopbackWebServer::After::Close);
    const std::string elsewhereBase = "http://127.0.0.1:" + std::to_string(elsewhere.port());
    const std::string localhostBase = "http://localhost:" + std::to_string(elsewhere.port());
    test::LoopbackWebServer toPort(redirect(elsewhereBase + "/a.so"), test::LoopbackWebServer::After::Close);
    test::LoopbackWebServer toHost(redirect(localhostBase + "/a.so"), test::LoopbackWebServer::After::Close);
    test::LoopbackWebServer toScheme(redirect("https://127.0.0.1:" + std::to_string(elsewhere.port()) + "/a.so"),
                                 test::LoopbackWebServer::After::Close);
    test::LoopbackWebServer toFile(redirect("file://" + (served_.path() / "a.so").string()), test::LoopbackWebServer::After::Close);
    for (const test::LoopbackWebServer* server : {&toPort, &toHost, &toScheme, &toFile}) {
        const DownloadResult result = DownloadFile(server->base() + "/a.so", (into_.path() / "a.so").string());
        EXPECT_FALSE(result.ok) << server->base();
        EXPECT_EQ(result.error.rfind("redirected to another server", 0), 0u) << result.error;
        EXPECT_TRUE(FilesIn(into_.path()).empty());
    }
    // On the same server the redirect is followed (here, to itself again, until the limit).
    const DownloadResult loop = DownloadFile(same.base() + "/a.so", (into_.path() / "a.so").string());
    EXPECT_FALSE(loop.ok);
    EXPECT_EQ(loop.error, "too many redirects");
    EXPECT_EQ(same.connections(), 6);
}

TEST_F(DownloadFileTest, NoServerMeansFailure) {
    int port = 0;
    { test::LoopbackWebServer gone(served_.str()); port = gone.port(); }
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/a.so";
    EXPECT_FALSE(DownloadFile(address, (into_.path() / "a.so").string()).ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST_F(DownloadFileTest, OtherSchemesAndMissingFoldersAreRefused) {
    test::WriteFile(served_.path() / "a.so", "secret");
    EXPECT_FALSE(DownloadFile("file://" + (served_.path() / "a.so").string(), (into_.path() / "a.so").string()).ok);
    EXPECT_FALSE(DownloadFile("http://127.0.0.1:1/a.so", (into_.path() / "no" / "a.so").string()).ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST_F(DownloadFileTest, ACancelledTransferEnds) {
    test::LoopbackWebServer server("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(100, 'y'),
                               test::LoopbackWebServer::After::Hold);
    std::atomic<bool> cancel{true};
    DownloadOptions options;
    options.cancel = &cancel;  // the stall limit is far away: only the cancel ends it
    options.stallLimit = std::chrono::seconds(3600);
    EXPECT_FALSE(DownloadFile(server.base() + "/a.so", (into_.path() / "a.so").string(), options).ok);
    EXPECT_TRUE(FilesIn(into_.path()).empty());
}

TEST(ProgressPercentTest, IsTruncatedAndZeroWithoutALength) {
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(50, 0), 0);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 66);
    EXPECT_EQ(ProgressPercent(3, 3), 100);
    EXPECT_EQ(ProgressPercent(int64_t{1} << 40, (int64_t{1} << 40) + 1), 99);
}

}  // namespace
}  // namespace tavora
