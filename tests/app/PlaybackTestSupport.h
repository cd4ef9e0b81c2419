#pragma once
// The controller playing real files through the engine modules of the build (null
// output, paced in real time), with a fresh store and message boxes recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MessageBox.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "PlayerHarness.h"
#include "QtTestSupport.h"
#include "TempRegistry.h"

namespace tavora {

using test::App;
using test::WaitUntilWithEvents;

class PlaybackControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        const auto runtime = reg_.dir() / "runtime";
        std::filesystem::create_directories(runtime);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("TAVORA_AUDIO_OUTPUT", Output().c_str(), 1);
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        WriteRegDword(keys::kControl, "CrossFade", 0);
        SetMessageBoxHandler([this](const QString& text, const QString&, MessageIcon) {
            messages_.push_back(text.toStdString());
        });
        player_ = test::PlayerHarness::Bare("");
        dlg()->OnInitDialog();
        ASSERT_TRUE(messages_.empty()) << messages_.front();
    }
    void TearDown() override {
        player_.reset();
        SetMessageBoxHandler({});
    }

    // The engine's sound output ("null", or "wav:PATH" to listen to it afterwards).
    virtual std::string Output() { return "null"; }

    std::string Tone(const std::string& name, double seconds) {
        const std::string path = (reg_.dir() / name).string();
        const std::string cmd = "sox -q -n -r 44100 -c 2 -b 16 '" + path + "' synth " + std::to_string(seconds) +
                                " sine 440 vol 0.3";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        return path;
    }
    void Add(const std::string& path) { player_->context().playlist.AddEntry(std::string(FileNameOf(path)), "", path); }
    PlaybackState& state() { return dlg()->state(); }

    test::TempRegistry reg_;
    std::vector<std::string> messages_;
    std::unique_ptr<test::PlayerHarness> player_;
    // The controller, for what its contracts do not show.
    CTavoraPlayerDlg* dlg() { return &player_->controller(); }
};

}  // namespace tavora
