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
#include "TavoraPlayerDlg.h"
#include "../support/TempRegistry.h"

namespace tavora::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "adding_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

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

// 127.0.0.1 at `port` (0: any free port).
inline sockaddr_in LoopbackAddress(int port = 0) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

// python3's http.server on 127.0.0.1 serving `folder`, for the length of a test.
class LoopbackWebServer {
public:
    explicit LoopbackWebServer(const std::string& folder) {
        port_ = FreePort();
        pid_ = fork();
        if (pid_ == 0) {
            const std::string port = std::to_string(port_);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execlp("python3", "python3", "-m", "http.server", port.c_str(), "--bind", "127.0.0.1", "--directory",
                   folder.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline && !Answers())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~LoopbackWebServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool running() const { return Answers(); }
    int port() const { return port_; }
    // "127.0.0.1:PORT/" + name, without a scheme.
    std::string hostPath(const std::string& name) const { return "127.0.0.1:" + std::to_string(port_) + "/" + name; }
    std::string url(const std::string& name) const { return "http://" + hostPath(name); }

private:
    static int FreePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = LoopbackAddress();
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
        close(s);
        return ntohs(addr.sin_port);
    }
    bool Answers() const {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = LoopbackAddress(port_);
        const bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(s);
        return ok;
    }

    int port_ = 0;
    pid_t pid_ = -1;
};

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
        dlg_ = std::make_unique<CTavoraPlayerDlg>("");
        dlg_->OnInitDialog();
        dialogs_ = std::make_shared<ScriptedDialogs>();
        RegisterAddingCommands(*dlg_, dialogs_);
    }
    void TearDown() override {
        dlg_.reset();
        SetMessageBoxHandler({});
    }

    PlaylistModel& model() { return dlg_->playlist(); }
    PlaybackState& state() { return dlg_->state(); }

    // Runs the event loop until `done` holds (false after the time-out).
    template <typename Done>
    bool WaitFor(Done done, int ms = 20000) {
        return QTest::qWaitFor(done, ms);
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
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            dlg_->jobs().WaitIdle();
            QTest::qWait(50);
        }
    }

    TempRegistry reg_;
    MediaFolder media_;
    std::vector<std::string> messages_;
    std::unique_ptr<CTavoraPlayerDlg> dlg_;
    std::shared_ptr<ScriptedDialogs> dialogs_;
};

}  // namespace tavora::test
