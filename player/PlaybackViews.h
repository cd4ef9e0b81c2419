#pragma once
// What the playback asks of windows that show it; each may be left unset.
//
// Threading: UI thread.

#include <functional>
#include <string>

namespace tavora {

struct PlaybackViews {
    std::function<void()> refreshMain;                         // time, rates, title, lamps
    std::function<void()> startMainTimers;                     // title scroll, spectrum, display repaint
    std::function<void(const std::string&)> volumeTooltip;    // "소리 크기 - N%"
    std::function<void(const std::string&)> positionTooltip;  // "위치 이동 - mm:ss"
    std::function<void(int row)> ensureRowVisible;             // scroll the list to the row
    std::function<void()> repaintList;
    std::function<void()> openFileDialog;                      // Play with an empty list
    std::function<void(const std::string& address)> loadPls;  // a picked address that is a list
    std::function<std::string(const std::string& path)> titleForPath;  // display title by extension
    std::function<void()> stopped;                             // StopPlayback began
};

}  // namespace tavora
