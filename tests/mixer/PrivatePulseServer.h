#pragma once
// A PulseAudio server of the test's own: its own runtime folder and socket, one null
// sink as the default, no modules from the user's configuration, never exiting by itself.
// PULSE_SERVER (and the client's config) point at it from construction on, so both the
// code under test and pactl talk to it and to nothing else.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "WaitUntil.h"

namespace tavora::test {

class PrivatePulseServer {
public:
    PrivatePulseServer();  // makes the folder; Start() runs the server
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // Starts the server and waits until it answers; false when it cannot run here.
    bool Start();
    // Kills the server outright (SIGKILL), as a crash would, and reaps it.
    void Kill();

    // Runs pactl against the server; returns its standard output ("" on failure).
    static std::string Pactl(const std::string& arguments);
    // Runs pactl for a change; true when it succeeded.
    static bool PactlOk(const std::string& arguments);
    // The default sink's loudest channel in libpulse's units, -1 when unreadable.
    static long SinkVolume();
    // Each channel of the default sink, "" when unreadable (e.g. "65536 32768").
    static std::string SinkChannels();
    static bool SinkMuted();

private:
    std::filesystem::path dir_;
    pid_t pid_ = 0;
};

}  // namespace tavora::test
