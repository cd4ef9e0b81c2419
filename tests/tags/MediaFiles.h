#pragma once
// Real audio files for the tag tests, made at test time by the same tools users tag with
// (ffmpeg, id3v2, mid3v2, vorbiscomment). Every file lives in a folder that is removed
// when the MediaFolder goes.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Id3Builder.h"
#include "TempFolder.h"

namespace tavora::test {

// Runs a program found on PATH with the given arguments (no shell) and extra environment
// entries; returns its exit status, or -1 when it could not be started.
int RunTool(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});

class MediaFolder {
public:
    std::string path(const std::string& name) const { return (folder_.path() / name).string(); }
    std::string dirPath() const { return folder_.str(); }

    // An untagged file of a sine tone of the given length, encoded by ffmpeg according to
    // the extension's kind ("mp3", "ogg", "wma", "wav"); the name may use any case.
    std::string makeAudio(const std::string& name, const std::string& kind, double seconds = 1.0);

    std::string writeBytes(const std::string& name, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> readBytes(const std::string& name) const;

private:
    TempFolder folder_{"tags"};
};

}  // namespace tavora::test
