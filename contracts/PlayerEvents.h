#pragma once
// What happened, for whoever shows it. The playback announces its facts where they
// happen (another track, a seek, play/pause/stop, the volume, the modes), the list its
// row changes; the windows announce facts about themselves that others follow (the
// main window's rectangle, the playlist's docking, the equaliser's slide). Receivers
// connect to the signals they need and read the rest through PlaybackView; nobody
// polls, and nobody calls into a window it does not own.
//
// Threading: emitted and received on the UI thread only (workers reach it through
// RunOnUiThread or the command sink).

#include <QObject>
#include <QRect>
#include <QString>

#include "ShutdownPhase.h"

namespace tavora {

// Which part of the playback state moved (stateChanged).
enum class StateFact {
    Transport,  // playing, paused or stopped
    Volume,     // the level, its range or the mute switch
    Modes,      // repeat or shuffle
};

// What happened to the list's rows (listRowsChanged).
enum class ListChange {
    RowsInserted,  // first, count: the rows added
    RowsRemoved,   // first: the lowest row removed, count: how many; all rows: first 0, count -1
    RowsChanged,   // first, count: rows whose fields changed
    RowsMoved,     // first: the lowest row that moved, count -1
    CurrentRow,    // first: the new current row, count 0
};

class PlayerEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The last announced facts, for windows created after the announcement.
    bool playlistDocked() const { return playlistDocked_; }
    bool equalizerSliding() const { return equalizerSliding_; }
    QRect mainWindowRect() const { return mainWindowRect_; }

    void AnnouncePlaylistDocked(bool docked);
    void AnnounceEqualizerSliding(bool sliding);
    void AnnounceMainWindowRect(const QRect& rect);

signals:
    // Domain events.
    void trackChanged();                // a stream of another row (or address) began, or a reversed one
    void seeked(double seconds);        // the position jumped on purpose: a seek or a ten-second step
    void stateChanged(StateFact what);  // see StateFact
    void listRowsChanged(ListChange what, int first, int count);

    // Display facts.
    void displayChanged();                    // time, rates, title, lamps may differ
    void playbackStarted();                   // a stream started or resumed: the display timers run
    void volumeText(const QString& text);     // "소리 크기 - N%"
    void positionText(const QString& text);   // "위치 이동 - mm:ss"
    void playingRowChanged(int row);          // scroll the list to the row
    void listChanged();                       // rows changed: repaint the list
    void titleChanged(const QString& title);  // the playing song's title
    void dockingChanged(bool docked);         // the playlist window docked to the main window
    void equalizerSlidingChanged(bool sliding);
    void mainWindowRectChanged(const QRect& rect);  // screen rectangle of the main window
    void shutdownPhase(ShutdownPhase phase);
    // The system master volume (0..maximum); open false: no sound server to set it.
    void masterVolumeChanged(unsigned value, unsigned maximum, bool open);
    void playbackStopped();                   // StopPlayback began (Stop, shutdown)

private:
    bool playlistDocked_ = false;
    bool equalizerSliding_ = false;
    QRect mainWindowRect_;
};

}  // namespace tavora
