#pragma once
// The program information window: a 381 x 213 picture without controls. A click
// closes it; a drag moves it.

#include <QPixmap>
#include <QWidget>

namespace tavora {

class ProgramInfoWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 381;
    static constexpr int kHeight = 213;

    explicit ProgramInfoWindow(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool armed_ = false;
};

}  // namespace tavora
