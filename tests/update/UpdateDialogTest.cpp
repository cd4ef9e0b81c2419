// The download window: what it shows, how it ends, and what it tells the player.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "AudioLibrary.h"
#include "LoopbackWebServer.h"
#include "MessageBox.h"
#include "QtTestSupport.h"
#include "TempFolder.h"
#include "UpdateDialog.h"
#include "UpdateTestFiles.h"

namespace tavora {
namespace {

namespace fs = std::filesystem;

class UpdateDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        SetMessageBoxHandler([this](const QString& text, const QString&, MessageIcon icon) {
            messages_.push_back(text);
            EXPECT_EQ(icon, MessageIcon::Error);
        });
        fs::create_directories(served_.path() / "AutoUpdate" / "system");
        fs::create_directories(served_.path() / "AutoUpdate" / "skin");
        fs::copy_file(test::kBuiltModules / kUnRarModule, served_.path() / "AutoUpdate" / "system" / kUnRarModule);
        test::Sign(served_.path() / "AutoUpdate" / "system" / kUnRarModule);
        const fs::path installer = served_.path() / "AutoUpdate" / "skin" / "TavoraUpdateSkin";
        test::WriteFile(installer, "#!/bin/sh\nexit 0\n");
        test::Sign(installer);
    }
    void TearDown() override { SetMessageBoxHandler(nullptr); }

    UpdateDialogSetup Setup(UpdateMode mode, const std::string& base) {
        UpdateDialogSetup setup;
        setup.mode = mode;
        setup.modules = {kUnRarModule};
        setup.installFolder = install_.str();
        setup.serverBase = base;
        setup.exitPlayer = [this] { ++exits_; };
        setup.jobOptions.stallLimit = std::chrono::seconds(2);
        setup.jobOptions.afterInstaller = std::chrono::milliseconds(50);
        setup.jobOptions.key = test::TestPublicKey();
        setup.runInstaller = [this](const std::string& path) {
            started_.push_back(path);
            return true;
        };
        return setup;
    }
    static std::string Base(const test::LoopbackWebServer& server) {
        return "http://127.0.0.1:" + std::to_string(server.port());
    }

    test::TempFolder served_{"served"};
    test::TempFolder install_{"install"};
    std::vector<QString> messages_;
    std::vector<std::string> started_;
    int exits_ = 0;
};

TEST_F(UpdateDialogTest, TheWindowHasItsTitleSizeAndBar) {
    UpdateDialog dialog(Setup(UpdateMode::System, "http://127.0.0.1:1"));
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("타보라플레이어 필수 파일 다운로드"));
    EXPECT_EQ(dialog.size(), QSize(278, 161));
    EXPECT_EQ(dialog.bar()->geometry(), QRect(16, 67, 239, 9));
    EXPECT_EQ(dialog.font().pixelSize(), 12);
    // The filling: the inside width (237) times the percentage, truncated.
    dialog.bar()->setValue(50);
    EXPECT_EQ(dialog.bar()->filledWidth(), 118);
    dialog.bar()->setValue(100);
    EXPECT_EQ(dialog.bar()->filledWidth(), 237);
    dialog.bar()->setValue(250);
    EXPECT_EQ(dialog.bar()->filledWidth(), 237);
}

TEST_F(UpdateDialogTest, TheBarIsTiledUpToItsValueAndTheRestShowsTheBackground) {
    UpdateDialog dialog(Setup(UpdateMode::System, "http://127.0.0.1:1"));
    const QImage empty = dialog.grab().toImage();
    dialog.bar()->setValue(50);
    const QImage half = dialog.grab().toImage();
    const QImage tile(QStringLiteral(":/res/images/update129.png"));
    ASSERT_FALSE(tile.isNull());
    // Inside the filled part: the tile, starting at the bar's inner corner.
    for (int x : {17, 17 + 6, 17 + 100, 17 + 117})
        EXPECT_EQ(half.pixel(x, 70), tile.pixel((x - 17) % tile.width(), 70 - 68)) << x;
    // Beyond it, and on the border: as before.
    for (int x : {16, 17 + 118, 200, 254}) EXPECT_EQ(half.pixel(x, 70), empty.pixel(x, 70)) << x;
}

TEST_F(UpdateDialogTest, OneMissingModuleShowsOneOfOneInstallsItAndCloses) {
    test::LoopbackWebServer server(served_.str());
    UpdateDialog dialog(Setup(UpdateMode::System, Base(server)));
    std::vector<std::pair<QString, QString>> shown;
    QObject::connect(&dialog, &UpdateDialog::textsShown,
                     [&](const QString& status, const QString& counter) { shown.emplace_back(status, counter); });
    dialog.Run();  // returns once the window has closed itself
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(QStringLiteral("UnRar.so update..."), QStringLiteral("1/1")));
    EXPECT_EQ(shown[1], std::make_pair(QString(), QString()));
    EXPECT_TRUE(dialog.succeeded());
    EXPECT_EQ(dialog.bar()->value(), 100);
    EXPECT_TRUE(fs::exists(install_.path() / "system" / kUnRarModule));
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(exits_, 0);
}

TEST_F(UpdateDialogTest, AFailedDownloadIsToldOnceAndThePlayerIsAskedToExit) {
    fs::remove(served_.path() / "AutoUpdate" / "system" / kUnRarModule);
    test::LoopbackWebServer server(served_.str());
    EXPECT_FALSE(RunUpdateDialog(Setup(UpdateMode::System, Base(server))));
    EXPECT_EQ(messages_, std::vector<QString>{QString::fromUtf8(kDownloadFailedText)});
    EXPECT_EQ(exits_, 1);
    EXPECT_FALSE(fs::exists(install_.path() / "system" / kUnRarModule));
}

TEST_F(UpdateDialogTest, SkinModeStartsTheInstallerThenCloses) {
    test::LoopbackWebServer server(served_.str());
    EXPECT_TRUE(RunUpdateDialog(Setup(UpdateMode::Skin, Base(server))));
    EXPECT_EQ(started_, std::vector<std::string>{(install_.path() / "UpdateTemp" / "TavoraUpdateSkin").string()});
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(exits_, 0);
}

TEST_F(UpdateDialogTest, ClosingTheWindowStopsAStalledDownloadWithoutExiting) {
    // A server that accepts and never answers, with a stall limit far away.
    test::LoopbackWebServer silent("", test::LoopbackWebServer::After::Hold);
    UpdateDialogSetup setup = Setup(UpdateMode::System, silent.base());
    setup.jobOptions.stallLimit = std::chrono::seconds(3600);
    UpdateDialog dialog(std::move(setup));
    QObject::connect(&dialog, &UpdateDialog::textsShown, &dialog, [&](const QString& status, const QString&) {
        if (!status.isEmpty()) QMetaObject::invokeMethod(&dialog, [&] { dialog.reject(); }, Qt::QueuedConnection);
    });
    dialog.Run();
    EXPECT_FALSE(dialog.succeeded());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(exits_, 0);
    EXPECT_FALSE(fs::exists(install_.path() / "system" / kUnRarModule));
}

}  // namespace
}  // namespace tavora
