#include "PrivatePulseServer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <vector>

extern char** environ;

namespace tavora::test {

PrivatePulseServer::PrivatePulseServer() {
    char pattern[] = "/tmp/tavora-mixer-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::ofstream(dir_ / "client.conf") << "autospawn = no\n";
    setenv("PULSE_RUNTIME_PATH", (dir_ / "runtime").c_str(), 1);
    setenv("PULSE_STATE_PATH", (dir_ / "state").c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (dir_ / "client.conf").c_str(), 1);
    setenv("PULSE_COOKIE", (dir_ / "cookie").c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + (dir_ / "native").string()).c_str(), 1);
}

PrivatePulseServer::~PrivatePulseServer() {
    if (pid_) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool PrivatePulseServer::Start() {
    if (pid_) return true;
    std::filesystem::remove(dir_ / "native");  // a killed server leaves its socket behind
    std::vector<std::string> args = {
        "pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1", "--disallow-exit",
        "--use-pid-file=no", "--realtime=no", "--high-priority=no", "--log-target=stderr", "--log-level=error",
        "--load=module-null-sink sink_name=null_out channels=2",
        "--load=module-native-protocol-unix socket=" + (dir_ / "native").string() + " auth-anonymous=1"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = 0;
        return false;
    }
    const bool answers = WaitUntil([this] {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = 0;
        return pid_ == 0 || !Pactl("info").empty();
    });
    return answers && pid_ != 0;
}

void PrivatePulseServer::Kill() {
    if (!pid_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}

std::string PrivatePulseServer::Pactl(const std::string& arguments) {
    std::string output;
    if (FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        if (pclose(pipe) != 0) output.clear();
    }
    return output;
}

bool PrivatePulseServer::PactlOk(const std::string& arguments) {
    return std::system(("pactl " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

std::string PrivatePulseServer::SinkChannels() {
    // "Volume: front-left: 65536 / 100% / 0.00 dB,   front-right: ..."
    const std::string text = Pactl("get-sink-volume @DEFAULT_SINK@");
    static const std::regex channel(R"(:\s*(\d+)\s*/)");
    std::string values;
    for (std::sregex_iterator it(text.begin(), text.end(), channel), end; it != end; ++it)
        values += (values.empty() ? "" : " ") + (*it)[1].str();
    return values;
}

long PrivatePulseServer::SinkVolume() {
    const std::string channels = SinkChannels();
    if (channels.empty()) return -1;
    long loudest = 0;
    for (size_t start = 0; start < channels.size();) {
        size_t end = channels.find(' ', start);
        if (end == std::string::npos) end = channels.size();
        loudest = std::max(loudest, std::stol(channels.substr(start, end - start)));
        start = end + 1;
    }
    return loudest;
}

bool PrivatePulseServer::SinkMuted() {
    return Pactl("get-sink-mute @DEFAULT_SINK@").find("Mute: yes") != std::string::npos;
}

}  // namespace tavora::test
