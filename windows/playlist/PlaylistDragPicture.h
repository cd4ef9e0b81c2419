#pragma once
// The small picture that follows the cursor while rows are dragged in the playlist:
// 88 x 16 pixels, one look for a single row and one for several, white transparent.
//
// GUI thread only.

#include <QImage>
#include <QWidget>

namespace tavora {

class DragPicture : public QWidget {
public:
    static constexpr int kWidth = 88;
    static constexpr int kHeight = 16;
    static constexpr int kCursorOffset = 20;

    DragPicture();
    // The two pictures (first: one row, second: several rows).
    static QImage Picture(bool severalRows);

    void ShowAt(QPoint globalCursor, bool severalRows);
    void FollowTo(QPoint globalCursor);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

}  // namespace tavora
