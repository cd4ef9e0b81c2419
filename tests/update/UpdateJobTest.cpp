// One run of the update against a loopback server: what is fetched, checked,
// installed or run, and what the dialog is told.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "AudioLibrary.h"
#include "LoopbackWebServer.h"
#include "TempFolder.h"
#include "UpdateTestFiles.h"
#include "UpdateJob.h"
#include "UpdatePlan.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

using test::kBuiltModules;


// What the dialog would have been told.
struct Seen {
    std::vector<std::string> items;  // "name n/count"
    std::vector<std::string> failures;
    std::vector<std::string> started;
    int lastPercent = -1;
    bool cleared = false;

    UpdateReport Report(bool installerStarts = true) {
        UpdateReport r;
        r.item = [this](const std::string& name, int n, int count) {
            items.push_back(name + " " + std::to_string(n) + "/" + std::to_string(count));
        };
        r.progress = [this](int percent) { lastPercent = percent; };
        r.clearTexts = [this] { cleared = true; };
        r.failed = [this](const std::string& name, const std::string&) { failures.push_back(name); };
        r.runInstaller = [this, installerStarts](const std::string& path) {
            started.push_back(path);
            return installerStarts;
        };
        return r;
    }
};

class UpdateJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(served_.path() / "AutoUpdate" / "system");
        fs::create_directories(served_.path() / "AutoUpdate" / "skin");
        fs::create_directories(install_.path() / "system");
        for (const char* name : {kBassModule, kBassFxModule, kBassCdModule, kBassWmaModule, kUnZipModule,
                                 kUnRarModule, kUnAlzipperModule}) {
            fs::copy_file(kBuiltModules / name, served_.path() / "AutoUpdate" / "system" / name,
                          fs::copy_options::overwrite_existing);
            test::Sign(served_.path() / "AutoUpdate" / "system" / name);
        }
        test::WriteFile(Installer(), "#!/bin/sh\nexit 0\n");
        test::Sign(Installer());
    }
    fs::path Installer() const { return served_.path() / "AutoUpdate" / "skin" / "TavoraUpdateSkin"; }
    bool RunSystem(const std::vector<std::string>& missing, const std::string& base, Seen& seen) {
        UpdateJob job(UpdateMode::System, BuildDownloadItems(UpdateMode::System, ModulesToFetch(missing, ShippedModules()),
                                                             install_.str(), base),
                      install_.str(), Options());
        return job.Run(seen.Report());
    }
    static UpdateJobOptions Options() {
        UpdateJobOptions options;
        options.stallLimit = std::chrono::seconds(1);
        options.afterInstaller = std::chrono::milliseconds(0);
        options.key = test::TestPublicKey();
        return options;
    }
    std::vector<std::string> Installed() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(install_.path() / "system")) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Base(const test::LoopbackWebServer& server) {
        return "http://127.0.0.1:" + std::to_string(server.port());
    }

    test::TempFolder served_{"served"};
    test::TempFolder install_{"install"};
};

TEST_F(UpdateJobTest, OneMissingArchiveModuleIsFetchedAndInstalledAsOneOfOne) {
    test::LoopbackWebServer server(served_.str());
    ASSERT_FALSE(fs::exists(install_.path() / "UpdateTemp"));  // made by the run
    Seen seen;
    EXPECT_TRUE(RunSystem({kUnRarModule}, Base(server), seen));
    EXPECT_EQ(seen.items, std::vector<std::string>{"UnRar.so 1/1"});
    EXPECT_TRUE(seen.failures.empty());
    EXPECT_TRUE(seen.cleared);
    EXPECT_EQ(seen.lastPercent, 100);
    EXPECT_EQ(Installed(), std::vector<std::string>{"UnRar.so"});
    EXPECT_EQ(fs::file_size(install_.path() / "system" / "UnRar.so"), fs::file_size(kBuiltModules / kUnRarModule));
    EXPECT_TRUE(fs::exists(install_.path() / "UpdateTemp" / "UnRar.so"));  // downloads stay
    EXPECT_EQ(fs::status(install_.path() / "system" / "UnRar.so").permissions(), fs::perms(0755));
}

TEST_F(UpdateJobTest, WithoutTheMainEngineModuleAllFourAreFetchedAndInstalled) {
    // Its siblings are present, yet they come again with it.
    for (const char* name : {kBassFxModule, kBassCdModule, kBassWmaModule})
        test::WriteFile(install_.path() / "system" / name, "stale");
    test::LoopbackWebServer server(served_.str());
    Seen seen;
    EXPECT_TRUE(RunSystem({kBassModule, kUnZipModule}, Base(server), seen));
    EXPECT_EQ(seen.items, (std::vector<std::string>{"bass.so 1/5", "bass_fx.so 2/5", "basscd.so 3/5",
                                                    "basswma.so 4/5", "UnZip.so 5/5"}));
    EXPECT_EQ(Installed(), (std::vector<std::string>{"UnZip.so", "bass.so", "bass_fx.so", "basscd.so", "basswma.so"}));
    EXPECT_EQ(fs::file_size(install_.path() / "system" / kBassFxModule), fs::file_size(kBuiltModules / kBassFxModule));
}

TEST_F(UpdateJobTest, SkinModeRunsTheCheckedInstaller) {
    test::LoopbackWebServer server(served_.str());
    UpdateJob job(UpdateMode::Skin, BuildDownloadItems(UpdateMode::Skin, {}, install_.str(), Base(server)),
                  install_.str(), Options());
    Seen seen;
    EXPECT_TRUE(job.Run(seen.Report()));
    const std::string installer = (install_.path() / "UpdateTemp" / "TavoraUpdateSkin").string();
    EXPECT_EQ(seen.items, std::vector<std::string>{"TavoraUpdateSkin 1/1"});
    EXPECT_EQ(seen.started, std::vector<std::string>{installer});
    struct stat st {};
    ASSERT_EQ(stat(installer.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    EXPECT_TRUE(Installed().empty());
}

TEST_F(UpdateJobTest, AnUnsignedOrWronglySignedFileIsNeverInstalledOrRun) {
    const fs::path module = served_.path() / "AutoUpdate" / "system" / kUnRarModule;
    const fs::path other = served_.path() / "AutoUpdate" / "system" / kUnZipModule;
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> spoil;
    };
    const Case cases[] = {
        {"no signature", [](const fs::path& f) { fs::remove(f.string() + kSignatureSuffix); }},
        {"signed by another key", [](const fs::path& f) { test::Sign(f, NewSecretSeed()); }},
        {"another file's signature",
         [&](const fs::path& f) {
             fs::copy_file(other.string() + kSignatureSuffix, f.string() + kSignatureSuffix,
                           fs::copy_options::overwrite_existing);
         }},
        {"changed after signing", [](const fs::path& f) { std::ofstream(f, std::ios::app) << "+"; }},
    };
    test::LoopbackWebServer server(served_.str());
    const std::string installer = (install_.path() / "UpdateTemp" / "TavoraUpdateSkin").string();
    for (const Case& c : cases) {
        SetUp();  // fresh, rightly signed files
        c.spoil(module);
        Seen seen;
        EXPECT_FALSE(RunSystem({kUnRarModule}, Base(server), seen)) << c.what;
        EXPECT_EQ(seen.failures, std::vector<std::string>{kUnRarModule}) << c.what;
        EXPECT_TRUE(Installed().empty()) << c.what;
        EXPECT_TRUE(fs::is_empty(install_.path() / "UpdateTemp")) << c.what;

        c.spoil(Installer());
        UpdateJob job(UpdateMode::Skin, BuildDownloadItems(UpdateMode::Skin, {}, install_.str(), Base(server)),
                      install_.str(), Options());
        Seen skin;
        EXPECT_FALSE(job.Run(skin.Report())) << c.what;
        EXPECT_EQ(skin.failures, std::vector<std::string>{"TavoraUpdateSkin"}) << c.what;
        EXPECT_TRUE(skin.started.empty()) << c.what;
        EXPECT_FALSE(fs::exists(installer)) << c.what;
    }
}

TEST_F(UpdateJobTest, WhatIsNotTheModuleIsDiscardedAndNothingIsInstalled) {
    // Rightly signed, but not what the player can load.
    test::WriteFile(served_.path() / "AutoUpdate" / "system" / "UnRar.so", "<html>gone</html>");
    fs::copy_file(kBuiltModules / kBassCdModule, served_.path() / "AutoUpdate" / "system" / "UnZip.so",
                  fs::copy_options::overwrite_existing);  // a library, but not the archive module
    test::Sign(served_.path() / "AutoUpdate" / "system" / "UnRar.so");
    test::Sign(served_.path() / "AutoUpdate" / "system" / "UnZip.so");
    test::LoopbackWebServer server(served_.str());
    for (const char* name : {kUnRarModule, kUnZipModule}) {
        Seen seen;
        EXPECT_FALSE(RunSystem({name}, Base(server), seen));
        EXPECT_EQ(seen.failures, std::vector<std::string>{name});
        EXPECT_TRUE(Installed().empty());
        EXPECT_FALSE(fs::exists(install_.path() / "UpdateTemp" / name));
    }
}

TEST_F(UpdateJobTest, AFailureStopsTheRestButKeepsWhatWasFetchedBeforeIt) {
    fs::remove(served_.path() / "AutoUpdate" / "system" / "UnRar.so");  // 404
    test::LoopbackWebServer server(served_.str());
    Seen seen;
    EXPECT_FALSE(RunSystem({kUnZipModule, kUnRarModule, kUnAlzipperModule}, Base(server), seen));
    EXPECT_EQ(seen.items, (std::vector<std::string>{"UnZip.so 1/3", "UnRar.so 2/3"}));
    EXPECT_EQ(seen.failures, std::vector<std::string>{"UnRar.so"});
    EXPECT_EQ(Installed(), std::vector<std::string>{"UnZip.so"});
}

TEST_F(UpdateJobTest, ADownServerACutOrAStalledTransferFailWithoutInstalling) {
    int port = 0;
    { test::LoopbackWebServer gone(served_.str()); port = gone.port(); }
    const std::string cut = "HTTP/1.1 200 OK\r\nContent-Length: 900000\r\n\r\n" + std::string(1000, 'z');
    test::LoopbackWebServer cutServer(cut, test::LoopbackWebServer::After::Close);
    test::LoopbackWebServer stallServer(cut, test::LoopbackWebServer::After::Hold);
    for (const std::string& base :
         {"http://127.0.0.1:" + std::to_string(port), cutServer.base(), stallServer.base()}) {
        Seen seen;
        EXPECT_FALSE(RunSystem({kUnRarModule}, base, seen)) << base;
        EXPECT_EQ(seen.failures, std::vector<std::string>{"UnRar.so"}) << base;
        EXPECT_TRUE(Installed().empty()) << base;
        EXPECT_TRUE(fs::is_empty(install_.path() / "UpdateTemp")) << base;
    }
}

TEST(UpdatePlanTest, TheEngineComesWholeAndOnlyShippedModulesAreAskedFor) {
    const std::vector<std::string> shipped = {"bass.so", "bass_fx.so", "basscd.so", "basswma.so",
                                              "UnZip.so", "UnRar.so", "UnAlzipper.so"};
    EXPECT_EQ(ModulesToFetch({"bass.so", "UnRar.so", "deskband.so"}, shipped),
              (std::vector<std::string>{"bass.so", "bass_fx.so", "basscd.so", "basswma.so", "UnRar.so"}));
    EXPECT_EQ(ModulesToFetch({"basscd.so"}, shipped), std::vector<std::string>{"basscd.so"});
    EXPECT_TRUE(ModulesToFetch({"deskband.so"}, shipped).empty());
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i) many.push_back("m" + std::to_string(i) + ".so");
    EXPECT_EQ(ModulesToFetch(many, many).size(), kMaxDownloadItems);
}

TEST(UpdatePlanTest, TheBuildShipsTheEngineAndArchiveModules) {
    const std::vector<std::string> shipped = ShippedModules();
    for (const char* name : {kBassModule, kBassFxModule, kBassCdModule, kBassWmaModule, kUnZipModule, kUnRarModule,
                             kUnAlzipperModule})
        EXPECT_NE(std::find(shipped.begin(), shipped.end(), name), shipped.end()) << name;
}

TEST(UpdatePlanTest, ItemsNameTheServerPathsAndTheInstallFolders) {
    const auto system = BuildDownloadItems(UpdateMode::System, {"UnRar.so"}, "/opt/t", "http://h:1");
    ASSERT_EQ(system.size(), 1u);
    EXPECT_EQ(system[0].address, "http://h:1/AutoUpdate/system/UnRar.so");
    EXPECT_EQ(system[0].downloadTarget, "/opt/t/UpdateTemp/UnRar.so");
    EXPECT_EQ(system[0].destination, "/opt/t/system/UnRar.so");
    EXPECT_EQ(system[0].action, ItemAction::Copy);
    const auto skin = BuildDownloadItems(UpdateMode::Skin, {"UnRar.so"}, "/opt/t", "http://h:1");
    ASSERT_EQ(skin.size(), 1u);
    EXPECT_EQ(skin[0].address, "http://h:1/AutoUpdate/skin/TavoraUpdateSkin");
    EXPECT_EQ(skin[0].destination, "/opt/t/UpdateTemp/TavoraUpdateSkin");
    EXPECT_EQ(skin[0].action, ItemAction::Run);
}

}  // namespace
}  // namespace tavora
