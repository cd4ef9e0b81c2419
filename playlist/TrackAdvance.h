#pragma once
// Which row plays next: after Next and Back, at the end of a track, and when a row is
// picked in the list.
//
// How the choice is made
//  - Without shuffle the rows play in list order. Next past the last row wraps to row 0
//    only with RepeatAll; Back before row 0 wraps to the last row only with RepeatAll;
//    with RepeatOne Next and Back do nothing.
//  - With shuffle the rows play in the model's shuffle order, shufflePos counting through
//    it (-1: not started). When the order is used up, Next starts it again from the
//    beginning with RepeatAll (the same order: it is not redrawn at the wrap) and does
//    nothing otherwise. That wrap always slides the volume down before the change.
//  - At the end of a track: RepeatOne plays the same row again; RepeatAll moves on as
//    Next does, wrapping; RepeatOff moves on and stops after the last row (or when the
//    shuffle order is used up). A row marked "URL" that comes up at the end of a track is
//    opened as an internet stream.
//  - Rows marked "---" are passed over by repeating the same choice. The repetition
//    stops after one pass over the list, so a list of nothing but "---" rows (or of
//    files that all fail to open, see AdvanceAndPlay) ends instead of looping for ever.
//
// The functions decide and move currentIndex / shufflePos in one locked step; the
// controller does the fading, freeing and playing the choice asks for. They may be
// called from any thread (the controller calls them on the UI thread).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavora {

class PlaylistModel;

enum class RepeatMode { Off, One, All };

struct AdvanceModes {
    RepeatMode repeat = RepeatMode::Off;
    bool shuffle = false;
};

// From the mirrored settings: exactly one repeat flag is meant to be set; RepeatOne
// wins over RepeatAll, anything else is RepeatOff.
AdvanceModes AdvanceModesFromFlags(int repeatOne, int repeatAll, int shuffle);

enum class AdvanceTrigger { Next, Previous, TrackEnd };

enum class AdvanceAction {
    None,  // nothing changes (the old stream keeps playing, or stays stopped)
    Play,  // play `row`
    Stop,  // the list has played out: stop playback
};

struct AdvanceChoice {
    AdvanceAction action = AdvanceAction::None;
    int row = -1;
    std::string path;
    std::string time;
    bool fade = false;         // fade the old stream out first, when cross-fade is on
    bool slideAlways = false;  // slide the volume to 0 (500 ms, then 500 ms pause) even without cross-fade
    bool freeStream = false;   // free the old stream before opening the row (also with None/Stop)
    bool asUrlStream = false;  // open the row as an internet stream rather than a file
};

// Moves currentIndex (and shufflePos) and returns what to play.
AdvanceChoice ChooseNext(PlaylistModel& model, AdvanceModes modes);
AdvanceChoice ChoosePrevious(PlaylistModel& model, AdvanceModes modes);
// After the end of the current track has been detected (and its fade done).
AdvanceChoice ChooseAtTrackEnd(PlaylistModel& model, AdvanceModes modes);
AdvanceChoice Choose(PlaylistModel& model, AdvanceModes modes, AdvanceTrigger trigger);

// "Play List Select": the selected row, when it is a row; currentIndex becomes it.
AdvanceChoice ChooseSelectedRow(PlaylistModel& model);
// "List DbClick Play": the row at currentIndex, when it is a row.
AdvanceChoice ChooseCurrentRow(PlaylistModel& model);

// Makes a choice and plays it through `open`, which returns false when the row could
// not be opened. A row that cannot be opened is passed over in the same direction (the
// end of a track continues as Next does), at most once per row of the list. Returns the
// last choice made; its action is None when nothing could be opened.
AdvanceChoice AdvanceAndPlay(PlaylistModel& model, AdvanceModes modes, AdvanceTrigger trigger,
                             const std::function<bool(const AdvanceChoice&)>& open);

// What a picked row's address that opened as an internet stream is played as.
enum class OpenedAddressUse {
    InternetStream,  // keep the opened stream and play it as a radio stream
    PlsPlaylist,     // free it and read the address as a PLS list
    SongFile,        // free it and open the address as a song (OpenAndPlay)
};
// An address ending in a four-digit port (":8000") is a stream; the media table's
// opened-PLS use (lower-case only) is a list, its opened-song use (all lower- or all
// upper-case) a song; anything else is a stream.
OpenedAddressUse ClassifyOpenedAddress(std::string_view address);

// The position-slider value for a byte position; 0 while the length is unknown
// (0 or the engine's -1).
int PositionUnits(uint64_t bytePosition, uint64_t byteLength, int positionMax);
// The end test of the position timer: the last slider unit is reached (at the start
// in reverse play).
bool IsTrackEnd(int positionUnits, int positionMax, bool reverse);

// The top row the list must scroll to so that `row` is visible in a list area of
// `listHeight` pixels (16-pixel rows) whose top row is `topRow`; -1 when no scrolling
// is needed.
int ScrollTargetForRow(int row, int topRow, int listHeight);

}  // namespace tavora
