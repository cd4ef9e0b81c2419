// The shell on a real controller with a fake desktop: the minimise steps, the band's
// requests, the tray click and the hide modes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>
#include <vector>

#include "Commands.h"
#include "DesktopShell.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerHarness.h"
#include "QtTestSupport.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"
#include "TrayIcon.h"
#include "band/BandProtocol.h"

using namespace tavora;

namespace {

struct FakeBand : BandTransport {
    uint32_t window = 0;
    std::vector<std::tuple<uint32_t, unsigned, uint32_t, uint32_t>> sent;
    uint32_t Find() override { return window; }
    bool IsBand(uint32_t w) override { return w != 0 && w == window; }
    void Send(uint32_t w, unsigned m, uint32_t wp, uint32_t lp) override { sent.emplace_back(w, m, wp, lp); }
    std::vector<unsigned> messages() const {
        std::vector<unsigned> m;
        for (const auto& s : sent) m.push_back(std::get<1>(s));
        return m;
    }
};

class DesktopShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        const auto runtime = reg_.dir() / "runtime";
        std::filesystem::create_directories(runtime);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        WriteRegDword(keys::kView, "MiniPlayerInfo", 1);  // the notice has been read
    }
    // The player with the shell joined (on a fake band), started.
    void Start(uint32_t bandWindow) {
        player_ = std::make_unique<test::PlayerHarness>(std::vector<std::string_view>{});
        auto fake = std::make_unique<FakeBand>();
        band_ = fake.get();
        band_->window = bandWindow;
        shell_ = new DesktopShell(player_->context(), std::move(fake));
        player_->Start();
    }
    PlayerContext& player() { return player_->context(); }
    // The taskbar widget the shell hides and shows.
    QWidget& taskbar() { return *player().windows.Owner(); }
    const PlaybackState& state() { return player().view.State(); }

    test::TempRegistry reg_;
    std::unique_ptr<test::PlayerHarness> player_;
    DesktopShell* shell_ = nullptr;
    FakeBand* band_ = nullptr;
};

}  // namespace

TEST_F(DesktopShellTest, MinimiseHandsOverToALiveBandAndHidesThePlayer) {
    Start(0x1e00007);
    EXPECT_EQ(ReadRegDword(keys::kRoot, "handle"), 0x1e00007);  // found at start
    EXPECT_TRUE(shell_->tray().isAdded());
    player().commands.Send(cmd::Minimize);
    EXPECT_FALSE(taskbar().isVisible());
    const auto player = static_cast<uint32_t>(taskbar().winId());
    ASSERT_EQ(band_->messages(), (std::vector<unsigned>{band::kState, band::kModes}));
    EXPECT_EQ(std::get<2>(band_->sent[0]), player);
    EXPECT_EQ(std::get<3>(band_->sent[0]), BandStateWord(state()));
    // A click on the tray icon brings it back and tells the band.
    emit shell_->tray().clicked();
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_EQ(band_->messages().back(), band::kClose);
}

TEST_F(DesktopShellTest, WithoutABandOrWithTheOptionOffThePlayerIsOnlyMinimised) {
    Start(0);
    player().commands.Send(cmd::Minimize);
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_TRUE(band_->sent.empty());
    player_.reset();
    WriteRegDword(keys::kControl, "MiniPlayer", 0);
    Start(0x1e00007);
    player().commands.Send(cmd::Minimize);
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_TRUE(band_->sent.empty());
}

TEST_F(DesktopShellTest, BandRequestsRunThePlayersCommandsAndTheBandSeesTheResult) {
    Start(0x1e00007);
    player().commands.Send(cmd::Minimize);
    const int max = state().volumeMax;
    EXPECT_EQ(shell_->OnBandRequest(band::kVolume, 38), 1);
    EXPECT_EQ(state().volume, max > 0 ? max : kDefaultVolumeMax);
    EXPECT_EQ(shell_->OnBandRequest(band::kVolume, 0), 1);
    EXPECT_EQ(state().volume, 0);
    EXPECT_EQ(shell_->OnBandRequest(band::kMute, 1), 1);
    EXPECT_EQ(state().mute, 1);
    // The last word the band got shows the mute.
    const auto& last_state = band_->sent[band_->sent.size() - 2];
    EXPECT_EQ(std::get<1>(last_state), band::kState);
    EXPECT_TRUE(band::PlayStateIsMuted(band::DecodeStateWord(std::get<3>(last_state)).playState));
    EXPECT_EQ(shell_->OnBandRequest(band::kMute, 0), 1);
    EXPECT_EQ(state().mute, 0);
    EXPECT_EQ(shell_->OnBandRequest(band::kShow, 0), 1);
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_EQ(shell_->OnBandRequest(band::kState, 0), 0);  // not a request
}

TEST_F(DesktopShellTest, HideModesMoveThePlayerBetweenTrayAndTaskbar) {
    WriteRegDword(keys::kControl, "ShowTray", 1);
    Start(0);
    EXPECT_FALSE(shell_->tray().isAdded());
    player().commands.Send(cmd::HideTavoraWindow);
    EXPECT_FALSE(taskbar().isVisible());
    EXPECT_TRUE(shell_->tray().isAdded());
    // Restoring from the tray in this mode keeps the player off the taskbar.
    emit shell_->tray().clicked();
    EXPECT_FALSE(taskbar().isVisible());
    player().commands.Send(cmd::HideTray);
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_FALSE(shell_->tray().isAdded());
    player().commands.Send(cmd::HideNone);
    EXPECT_TRUE(taskbar().isVisible());
    EXPECT_TRUE(shell_->tray().isAdded());
}

TEST_F(DesktopShellTest, ShutdownTellsTheBandAndRemovesTheIcon) {
    Start(0x1e00007);
    player().commands.Send(cmd::Exit);
    EXPECT_EQ(band_->messages().back(), band::kClose);
    EXPECT_FALSE(shell_->tray().isAdded());
}
