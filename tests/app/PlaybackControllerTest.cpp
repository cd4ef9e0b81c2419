// The controller playing real files through the engine modules (null output, paced in
// real time): the Play command's cases, passing over files that do not open, the end
// of a track under the repeat modes, seeking and muting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "AudioLibrary.h"
#include "Commands.h"
#include "MessageBox.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "../support/TempRegistry.h"

using namespace tavora;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "playback_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class PlaybackControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        const auto runtime = reg_.dir() / "runtime";
        std::filesystem::create_directories(runtime);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        WriteRegDword(keys::kControl, "CrossFade", 0);
        SetMessageBoxHandler([this](const QString& text, const QString&, MessageIcon) {
            messages_.push_back(text.toStdString());
        });
        dlg_ = std::make_unique<CTavoraPlayerDlg>("");
        dlg_->OnInitDialog();
        ASSERT_TRUE(messages_.empty()) << messages_.front();
    }
    void TearDown() override {
        dlg_.reset();
        SetMessageBoxHandler({});
    }

    std::string Tone(const std::string& name, double seconds) {
        const std::string path = (reg_.dir() / name).string();
        const std::string cmd = "sox -q -n -r 44100 -c 2 -b 16 '" + path + "' synth " + std::to_string(seconds) +
                                " sine 440 vol 0.3";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        return path;
    }
    void Add(const std::string& path) { dlg_->playlist().AddEntry(std::string(FileNameOf(path)), "", path); }
    PlaybackState& state() { return dlg_->state(); }

    test::TempRegistry reg_;
    std::vector<std::string> messages_;
    std::unique_ptr<CTavoraPlayerDlg> dlg_;
};

}  // namespace

TEST_F(PlaybackControllerTest, PlayWithAnEmptyListOpensTheFileDialog) {
    int dialogs = 0;
    dlg_->playback().views().openFileDialog = [&] { ++dialogs; };
    dlg_->SendCommand(cmd::Play);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, PlayPausesAndResumesTheSameStream) {
    Add(Tone("a.wav", 5));
    dlg_->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    const uint32_t handle = state().channelHandle;
    QTest::qWait(600);
    dlg_->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPaused);
    EXPECT_FALSE(state().isPlaying);
    const double pausedAt = dlg_->playback().PositionSeconds();
    QTest::qWait(400);
    EXPECT_NEAR(dlg_->playback().PositionSeconds(), pausedAt, 0.05);
    dlg_->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, handle);
    EXPECT_GT(pausedAt, 0.4);
}

TEST_F(PlaybackControllerTest, RowsThatDoNotOpenArePassedOver) {
    Add((reg_.dir() / "missing.mp3").string());
    Add((reg_.dir() / "not audio.ogg").string());
    std::filesystem::path junk = reg_.dir() / "not audio.ogg";
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("this is not a song", f);
    std::fclose(f);
    Add(Tone("c.wav", 3));
    dlg_->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(dlg_->playlist().CurrentIndex(), 2);
    EXPECT_EQ(dlg_->playlist().MarkedRow(), 2);
    EXPECT_EQ(dlg_->windowTitle(), QStringLiteral("c.wav"));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(PlaybackControllerTest, EndOfTheLastTrackStopsWithoutRepeatAndWrapsWithRepeatAll) {
    Add(Tone("one.wav", 0.6));
    Add(Tone("two.wav", 0.6));
    dlg_->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(dlg_->playlist().CurrentIndex(), 1, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!state().isPlaying, 3000);
    EXPECT_EQ(state().channelHandle, 0u);

    dlg_->SendCommand(cmd::RepeatAllMode);
    dlg_->playlist().SetSelectedIndex(1);
    dlg_->SendCommand(cmd::PlayListSelect);
    ASSERT_TRUE(state().isPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(dlg_->playlist().CurrentIndex(), 0, 3000);
    EXPECT_TRUE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, RepeatOnePlaysTheSameRowAgainAndIgnoresNext) {
    Add(Tone("one.wav", 0.6));
    Add(Tone("two.wav", 3));
    dlg_->SendCommand(cmd::RepeatOneMode);
    dlg_->SendCommand(cmd::Play);
    dlg_->SendCommand(cmd::Next);
    EXPECT_EQ(dlg_->playlist().CurrentIndex(), 0);
    QTest::qWait(1200);  // past the end of the first row
    EXPECT_EQ(dlg_->playlist().CurrentIndex(), 0);
    EXPECT_TRUE(state().isPlaying);
}

TEST_F(PlaybackControllerTest, SeeksStayWithinTheTrackAndOnlyWhilePlaying) {
    dlg_->SendCommand(cmd::TenSecNext);  // nothing plays: nothing happens
    Add(Tone("long.wav", 25));
    std::string tooltip;
    dlg_->playback().views().positionTooltip = [&](const std::string& t) { tooltip = t; };
    dlg_->SendCommand(cmd::Play);
    QTest::qWait(300);
    dlg_->SendCommand(cmd::TenSecBack);
    EXPECT_EQ(tooltip, "위치 이동 - 00:00");
    EXPECT_LT(dlg_->playback().PositionSeconds(), 0.5);
    dlg_->SendCommand(cmd::TenSecNext);
    dlg_->SendCommand(cmd::TenSecNext);
    EXPECT_EQ(tooltip, "위치 이동 - 00:20");
    EXPECT_NEAR(dlg_->playback().PositionSeconds(), 20.0, 0.3);
    dlg_->SendCommand(cmd::TenSecNext);
    EXPECT_EQ(tooltip, "위치 이동 - 00:25");
}

TEST_F(PlaybackControllerTest, MuteSilencesEveryNewTrackUntilUnmuted) {
    Add(Tone("a.wav", 3));
    dlg_->playback().SetMute(true);
    dlg_->SendCommand(cmd::Play);
    const BassFunctions& b = dlg_->audio().Bass();
    DWORD volume = 99;
    ASSERT_TRUE(b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr));
    EXPECT_EQ(volume, 0u);
    dlg_->SendCommand(cmd::VolumeUp);  // the level changes, the silence stays
    b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 0u);
    dlg_->playback().SetMute(false);
    b.BASS_ChannelGetAttributes(state().channelHandle, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 56u);  // 28 of a 50-unit slider
}
