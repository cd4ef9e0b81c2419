#pragma once
// The Icecast rig of scripts/icy for the internet-stream tests (live MP3 with station
// name and stream titles): an external server, started and stopped by its scripts. The
// tests' own servers are in LoopbackWebServer.h.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace tavora::test {

class IcyServer {
public:
    // Starts the rig when icecast2 and ezstream are installed. A start that fails is
    // tried once more (a port picked free may be taken by another rig before icecast
    // binds it); why() then says what the script reported.
    IcyServer() {
        if (std::system("command -v icecast2 >/dev/null && command -v ezstream >/dev/null") != 0) return;
        installed_ = true;
        scripts_ = TAVORA_ICY_SCRIPTS_DIR;
        for (int attempt = 0; attempt < 2 && !running_; ++attempt) Start();
    }
    ~IcyServer() {
        if (vars_.count("ICY_RUNDIR"))
            std::system(("bash '" + scripts_ + "/stop-icy-server.sh' '" + vars_["ICY_RUNDIR"] + "' >/dev/null 2>&1").c_str());
    }
    bool installed() const { return installed_; }
    bool running() const { return running_; }
    const std::string& why() const { return why_; }
    std::string operator[](const std::string& name) const {
        auto it = vars_.find(name);
        return it == vars_.end() ? std::string() : it->second;
    }

private:
    void Start() {
        vars_.clear();
        char errors[] = "/tmp/tavora-icy-start-XXXXXX";
        const int fd = mkstemp(errors);
        if (fd < 0) return;
        ::close(fd);
        const std::string command =
            "ICY_SONG_SECONDS=6 bash '" + scripts_ + "/start-icy-server.sh' 2>'" + errors + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe) {
            char line[1024];
            while (std::fgets(line, sizeof line, pipe)) {
                std::string text(line);
                if (text.rfind("export ", 0) != 0) continue;
                const size_t eq = text.find('=');
                // The values are shell-quoted with printf %q: backslashes escape characters.
                std::string value;
                for (size_t i = eq + 1; i < text.size() && text[i] != '\n'; ++i) {
                    if (text[i] == '\\' && i + 1 < text.size()) ++i;
                    value.push_back(text[i]);
                }
                vars_[text.substr(7, eq - 7)] = value;
            }
            running_ = pclose(pipe) == 0 && vars_.count("ICY_MP3_URL");
        }
        std::ifstream in(errors);
        why_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::remove(errors);
    }

    std::string scripts_;
    std::map<std::string, std::string> vars_;
    bool installed_ = false;
    bool running_ = false;
    std::string why_;
};

}  // namespace tavora::test
