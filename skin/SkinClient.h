#pragma once
// Everything that draws from the current skin registers here, so that a change of
// skin reaches the main window, the playlist window, its list control and the
// equaliser window, in that order. GUI thread only.

#include <vector>

namespace tavora {

enum class SkinClientOrder { MainWindow = 0, PlaylistWindow = 1, ListControl = 2, EqualizerWindow = 3, Other = 4 };

class SkinClient {
public:
    SkinClient();
    virtual ~SkinClient();
    SkinClient(const SkinClient&) = delete;
    SkinClient& operator=(const SkinClient&) = delete;

    virtual SkinClientOrder reloadOrder() const = 0;
    virtual void ReloadSkin() = 0;

    // The live clients sorted by reloadOrder (stable for equal orders).
    static std::vector<SkinClient*> LiveClients();
};

}  // namespace tavora
