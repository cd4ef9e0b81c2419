#pragma once
// Helpers of the add-command tests: a controller with the engine modules of the build,
// dialogs that answer from a script, tagged songs made by ffmpeg, and a web server on
// the loopback interface.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "AddingDialogs.h"
#include "BackgroundJobs.h"
#include "ControllerAdding.h"
#include "DroppedKind.h"
#include "MediaFiles.h"
#include "MessageBox.h"
#include "PlaylistModel.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "PlayerHarness.h"
#include "LoopbackWebServer.h"
#include "QtTestSupport.h"
#include "TempRegistry.h"

namespace tavora::test {


// Dialogs that give the answers queued for them and count how often each was shown.
class ScriptedDialogs : public AddingDialogs {
public:
    std::deque<std::vector<std::string>> songFiles;
    std::deque<std::optional<std::string>> folders, listsToLoad, listsToSave, addresses;
    int songCalls = 0, folderCalls = 0, loadCalls = 0, saveCalls = 0, addressCalls = 0;

    std::vector<std::string> ChooseSongFiles(QWidget*) override {
        ++songCalls;
        return Next(songFiles).value_or(std::vector<std::string>{});
    }
    std::optional<std::string> ChooseFolder(QWidget*) override { return ++folderCalls, Take(folders); }
    std::optional<std::string> ChooseListToLoad(QWidget*) override { return ++loadCalls, Take(listsToLoad); }
    std::optional<std::string> ChooseListToSave(QWidget*) override { return ++saveCalls, Take(listsToSave); }
    std::optional<std::string> AskAddress(QWidget*) override { return ++addressCalls, Take(addresses); }

private:
    template <typename T>
    static std::optional<T> Next(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& queue) {
        return Next(queue).value_or(std::nullopt);
    }
};

// A song of `seconds` seconds of tone, tagged with `title` by ffmpeg (ID3v2.3 for MP3,
// a Vorbis comment for OGG, an ASF attribute for WMA); kind as MediaFolder::makeAudio.
inline std::string MakeTaggedSong(const MediaFolder& media, const std::string& name, const std::string& kind,
                                  const std::string& title, double seconds) {
    const std::string out = media.path(name);
    std::filesystem::create_directories(std::filesystem::path(out).parent_path());
    std::vector<std::string> args = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                     "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds),
                                     "-ac", "2", "-metadata", "title=" + title};
    if (kind == "mp3") args.insert(args.end(), {"-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "3", "-f", "mp3"});
    else if (kind == "ogg") args.insert(args.end(), {"-c:a", "libvorbis", "-f", "ogg"});
    else if (kind == "wma") args.insert(args.end(), {"-c:a", "wmav2", "-b:a", "64k", "-f", "asf"});
    else throw std::invalid_argument("unknown kind " + kind);
    args.push_back(out);
    if (RunTool(args) != 0) throw std::runtime_error("ffmpeg could not make " + out);
    return out;
}

// Title, time and path of every row.
using RowFields = std::vector<std::tuple<std::string, std::string, std::string>>;
inline RowFields Fields(const PlaylistModel& model) {
    RowFields rows;
    for (const auto& e : model.Entries()) rows.emplace_back(e.title, e.time, e.path);
    return rows;
}

// Writes lines ended by LF.
inline bool WriteM3uLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\n";
    return static_cast<bool>(out);
}

// A controller with the engine modules built beside the tests (the build folder's
// "system" folder), silent output, a fresh store and the scripted dialogs.
class AddingTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        setenv("XDG_RUNTIME_DIR", (reg_.dir() / "runtime").c_str(), 1);
        std::filesystem::create_directories(reg_.dir() / "runtime");
        // Downloaded lists go below the templates folder of this home.
        setenv("HOME", reg_.dir().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (reg_.dir() / "config").c_str(), 1);
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        SetMessageBoxHandler([this](const QString& text, const QString& caption, MessageIcon) {
            messages_.push_back((caption + ": " + text).toStdString());
        });
        player_ = test::PlayerHarness::Bare("");
        dlg()->OnInitDialog();
        dialogs_ = std::make_shared<ScriptedDialogs>();
        RegisterAddingCommands(*dlg(), dialogs_);
    }
    void TearDown() override {
        player_.reset();
        SetMessageBoxHandler({});
    }

    PlaylistModel& model() { return player_->context().playlist; }
    PlaybackState& state() { return dlg()->state(); }

    // Runs the event loop until `done` holds (false after the time-out).
    template <typename Done>
    bool WaitFor(Done done, int ms = 20000) {
        return WaitUntilWithEvents(done, std::chrono::milliseconds(ms));
    }
    // Until every row has a time (the title-and-time pass has been over them).
    bool WaitForTimes(int rows) {
        return WaitFor([&] {
            const auto entries = model().Entries();
            if (static_cast<int>(entries.size()) != rows) return false;
            for (const auto& e : entries)
                if (e.time.empty()) return false;
            return true;
        });
    }
    // Until the workers are idle and what they queued for the UI thread has run.
    void Settle() { SettleJobs(dlg()->jobs()); }

    TempRegistry reg_;
    MediaFolder media_;
    std::vector<std::string> messages_;
    std::unique_ptr<test::PlayerHarness> player_;
    // The controller, for what its contracts do not show.
    CTavoraPlayerDlg* dlg() { return &player_->controller(); }
    std::shared_ptr<ScriptedDialogs> dialogs_;
};

}  // namespace tavora::test
