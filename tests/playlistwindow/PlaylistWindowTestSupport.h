#pragma once
// Shared set-up of the playlist window tests: one QApplication, the generated default
// skin as the current skin, a model with numbered rows and a recording command sink.
#include <QApplication>
#include <QCoreApplication>

#include <string>
#include <vector>

#include "CommandSink.h"
#include "PlaylistModel.h"
#include "QtTestSupport.h"
#include "SkinBitmap.h"

namespace tavora::test {


inline void UseDefaultSkin() {
    CurrentSkinFolder = std::string(TAVORA_GENERATED_SKINS_DIR) + "/Default";
    CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
}

// Rows titled "A", "B", ... (or "Song N" past 26) with paths "/music/<title>.mp3".
inline void AddRows(PlaylistModel& model, int count) {
    std::vector<NewEntry> rows;
    const int first = model.RowCount();
    for (int i = first; i < first + count; ++i) {
        const std::string title = i < 26 ? std::string(1, static_cast<char>('A' + i)) : "Song " + std::to_string(i);
        rows.push_back({title, "03:00", "/music/" + title + ".mp3"});
    }
    model.AddEntries(std::move(rows));
    QCoreApplication::processEvents();  // the queued model signals
}

inline std::vector<std::string> Titles(const PlaylistModel& model) {
    std::vector<std::string> titles;
    for (const PlaylistEntry& e : model.Entries()) titles.push_back(e.title);
    return titles;
}

// Records the commands sent and the paths they carry.
struct CommandLog : CommandSink {
    std::vector<int> sent;
    std::vector<std::string> paths;
    void Send(cmd::Command command, CommandData data) override {
        sent.push_back(command);
        paths.push_back(data.path);
    }
    void Post(cmd::Command command, CommandData data) override { Send(command, std::move(data)); }
};

}  // namespace tavora::test
