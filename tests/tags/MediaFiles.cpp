#include "MediaFiles.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavora::test {

int RunTool(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (!env.count(key)) envStrings.push_back(entry);
    }
    for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MediaFolder::makeAudio(const std::string& name, const std::string& kind, double seconds) {
    const std::string out = path(name);
    std::vector<std::string> args = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                     "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds),
                                     "-ac", "2", "-map_metadata", "-1", "-fflags", "+bitexact"};
    if (kind == "mp3") args.insert(args.end(), {"-c:a", "libmp3lame", "-b:a", "64k", "-write_xing", "1", "-id3v2_version", "0", "-f", "mp3"});
    else if (kind == "ogg") args.insert(args.end(), {"-c:a", "libvorbis", "-f", "ogg"});
    else if (kind == "wma") args.insert(args.end(), {"-c:a", "wmav2", "-b:a", "64k", "-f", "asf"});
    else if (kind == "wav") args.insert(args.end(), {"-c:a", "pcm_s16le", "-f", "wav"});
    else throw std::invalid_argument("unknown kind " + kind);
    args.push_back(out);
    if (RunTool(args) != 0) throw std::runtime_error("ffmpeg could not make " + out);
    return out;
}

std::string MediaFolder::writeBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string out = path(name);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out;
}

std::vector<uint8_t> MediaFolder::readBytes(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tavora::test
