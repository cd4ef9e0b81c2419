// A player's playlist save, alone in a process, for tests that kill it or starve it.
//   tavora_playlist_save_child save ROWS TAG   builds ROWS rows named after TAG, prints
//                                              "saving", saves them, prints "saved"
//   tavora_playlist_save_child load            prints every stored row: title\ttime\tpath
// The store is $TAVORA_REGISTRY.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PlaylistModel.h"
#include "PlaylistRegistry.h"

int main(int argc, char** argv) {
    using namespace tavora;
    if (argc == 4 && !std::strcmp(argv[1], "save")) {
        const int rows = std::atoi(argv[2]);
        const std::string tag = argv[3];
        PlaylistModel model;
        std::vector<NewEntry> entries;
        for (int i = 0; i < rows; ++i)
            entries.push_back({tag + " 노래 " + std::to_string(i), std::to_string(i % 60) + ":00",
                               "/music/" + tag + "/" + std::to_string(i) + ".mp3"});
        model.AddEntries(std::move(entries));
        std::printf("saving\n");
        std::fflush(stdout);
        SavePlaylistToRegistry(model);
        std::printf("saved\n");
        return 0;
    }
    if (argc == 2 && !std::strcmp(argv[1], "load")) {
        PlaylistModel model;
        LoadPlaylistFromRegistry(model, false);
        for (int i = 0; i <= model.LastIndex(); ++i)
            std::printf("%s\t%s\t%s\n", model.GetEntryField(i, kColumnTitle).c_str(),
                        model.GetEntryField(i, kColumnTime).c_str(), model.GetEntryField(i, kColumnPath).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: %s save ROWS TAG | load\n", argv[0]);
    return 2;
}
