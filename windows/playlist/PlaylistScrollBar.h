#pragma once
// PlaylistScrollBar: the thin skinned bar beside the playlist. It shows where the
// list's top row is (a thumb over a repeated track picture) and scrolls the list when
// pressed or dragged. The list and the bar talk through two calls: the list tells the
// bar its new top row (SetTopRow, which also ends a thumb drag's own positioning),
// and the bar asks the list to scroll (the scrollTo signal; repaintNow is true for a
// press and false while dragging).
//
// GUI thread only.

#include <QImage>
#include <QWidget>

namespace tavora {

class PlaylistScrollBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 10;

    explicit PlaylistScrollBar(QWidget* parent = nullptr);

    // Thumb ("ID_LISTBTSCROLL") and track ("ID_LIST_ILISTSCROLLSMALLDOT") pictures.
    void SetPictures(const QImage& thumb, const QImage& track);
    // Rows per page and row count; the range is rows - rows per page + 1.
    void SetRange(int rowsPerPage, int rowCount);
    void SetTopRow(int topRow);

    int range() const { return rowCount_ - rowsPerPage_ + 1; }
    int topRow() const { return topRow_; }
    int thumbOffset() const;
    int thumbHeight() const { return thumb_.isNull() ? 0 : thumb_.height(); }
    bool thumbDragging() const { return thumbDragging_; }

signals:
    void scrollTo(int topRow, bool repaintNow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void TrackTo(int y, bool repaintNow);

    QImage thumb_;
    QImage track_;
    int rowsPerPage_ = 0;
    int rowCount_ = 0;
    int topRow_ = 0;
    int dragOffset_ = 0;  // where the thumb is drawn while the user drags it
    bool thumbDragging_ = false;
};

}  // namespace tavora
