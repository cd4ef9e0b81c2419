#pragma once
// The tag editors as the player runs them: "Show File Info (mp3)" splits the playlist
// selection, reads the MP3 files' tags (with the "불러오기" progress dialog) and opens the
// MP3 tag editor, then the WMA/OGG tag window for the other rows; "Update Tag" re-titles
// the row of a file just written; "Get List Item" shows the tag window's entry at its
// cursor, opening the window when it is closed.
//
// It knows the playlist model (paths, titles), the selection of the playlist window (a
// function, so it needs no window), where to send commands and the worker jobs. The
// dialogs are modal but open without a nested event loop, so the player's shutdown
// closes them like any window.
//
// UI thread only.

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

#include "CommandSink.h"
#include "DisplayTitle.h"
#include "Mp3EditorRules.h"
#include "Mp3TagDialog.h"
#include "TagProgressDialog.h"
#include "TagSelection.h"
#include "TagWindow.h"

class QWidget;

namespace tavora {

class JobService;
class PlaylistModel;

class TagEditors : public QObject {
    Q_OBJECT
public:
    struct Parts {
        PlaylistModel* model = nullptr;
        CommandSink* sink = nullptr;
        JobService* jobs = nullptr;
        QWidget* dialogParent = nullptr;
        std::function<std::vector<int>()> selectedRows;
        std::function<TitleSettings()> titleSettings;
    };

    explicit TagEditors(Parts parts, QObject* parent = nullptr);
    ~TagEditors() override;

    // The three commands.
    void ShowFileInfo();
    void UpdateTag(const CommandData& data);
    void ShowTagEntry();

    // Closes whatever is open (the player is closing); a write under way finishes first.
    void CloseAll();

    Mp3TagDialog* mp3Dialog() const { return mp3Dialog_; }
    TagWindow* tagWindow() const { return tagWindow_; }
    TagProgressDialog* readProgress() const { return readProgress_; }
    bool anyOpen() const { return readProgress_ || mp3Dialog_ || tagWindow_; }

signals:
    // A row got its new title.
    void rowRetitled(int row);

private:
    void OpenMp3Editor(std::vector<Mp3EditorTags> tags);
    void OpenTagWindow();
    // Opens the tag window on the other rows from the entry at `cursor`, when that is a
    // WMA or OGG file.
    void OpenTagWindowAt(int cursor);

    Parts parts_;
    TagSelection selection_;
    // The tag window's place in the other rows; kept while it is closed, so that "Get
    // List Item" opens it where it was.
    int otherCursor_ = 0;
    QPointer<TagProgressDialog> readProgress_;
    QPointer<Mp3TagDialog> mp3Dialog_;
    QPointer<TagWindow> tagWindow_;
};

}  // namespace tavora
