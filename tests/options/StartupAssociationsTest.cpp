// The start-up routine registers the associations before it looks for a running
// player, when "AutoConnect" is on (or missing), and tells the desktop in the first
// instance only.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "Registry.h"
#include "RegistryKeys.h"
#include "StartupRoutine.h"
#include "TempRegistry.h"
#include "instance/SingleInstanceLock.h"

using namespace tavora;

namespace {

struct StartRecord {
    std::optional<AssociationFlags> written;
    std::string programPath;
    int notified = 0;
    bool playerRan = false;
};

StartRecord Start(const std::string& commandLine = "") {
    StartRecord record;
    CTavoraPlayerApp app("/usr/bin/tavoraplayer", commandLine);
    app.hooks().writeAssociations = [&](const AssociationFlags& f, const std::string& path) {
        record.written = f;
        record.programPath = path;
    };
    app.hooks().associationsChanged = [&] { ++record.notified; };
    static int argc = 1;
    static char name[] = "tavoraplayer";
    static char* argv[] = {name, nullptr};
    app.Run(argc, argv, [&](QApplication&, const std::string&) {
        record.playerRan = true;
        return 0;
    });
    return record;
}

class StartupAssociationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(reg_.dir() / "runtime");
        std::filesystem::permissions(reg_.dir() / "runtime", std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (reg_.dir() / "runtime").c_str(), 1);
        setenv("TAVORA_HANDOFF_WAIT_SECONDS", "1", 1);
    }
    test::TempRegistry reg_;
};

}  // namespace

TEST_F(StartupAssociationsTest, AnEmptyStoreRegistersAllSevenTypes) {
    const StartRecord r = Start();
    ASSERT_TRUE(r.written.has_value());
    EXPECT_EQ(r.programPath, "/usr/bin/tavoraplayer");
    // Missing flags read as the missing-value mark, which counts as on.
    for (int flag : {r.written->mp3, r.written->ogg, r.written->wma, r.written->wav, r.written->cda,
                     r.written->m3u, r.written->pls})
        EXPECT_NE(flag, 0);
    EXPECT_EQ(r.notified, 1);
    EXPECT_TRUE(r.playerRan);
}

TEST_F(StartupAssociationsTest, AutoConnectOffWritesNothingButTheDesktopIsStillTold) {
    WriteRegDword(keys::kControl, "AutoConnect", 0);
    WriteRegDword(keys::kConnectExt, "PLS", 0);
    StartRecord r = Start();
    EXPECT_FALSE(r.written.has_value());
    EXPECT_EQ(r.notified, 1);
    WriteRegDword(keys::kControl, "AutoConnect", 1);
    r = Start();
    ASSERT_TRUE(r.written.has_value());
    EXPECT_EQ(r.written->pls, 0);
    EXPECT_NE(r.written->m3u, 0);
}

TEST_F(StartupAssociationsTest, ALaterLaunchRegistersBeforeHandingOver) {
    platform::SingleInstanceLock first("TavoraPlayer List");
    ASSERT_EQ(first.state(), platform::SingleInstanceLock::State::Acquired);
    // No running player answers: the hand-over gives up, the registration is done.
    const StartRecord r = Start("-s/music/a.mp3");
    EXPECT_TRUE(r.written.has_value());
    EXPECT_EQ(r.notified, 0);
    EXPECT_FALSE(r.playerRan);
}
