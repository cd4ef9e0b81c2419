#include "BandWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

#include "band/X11BandLink.h"

namespace tavora::band {

namespace {
struct Span {
    BandWindow::Part part;
    int left, right;
};
constexpr Span kSpans[] = {
    {BandWindow::Part::Icon, 0, 26},    {BandWindow::Part::Back, 28, 48},  {BandWindow::Part::Play, 50, 70},
    {BandWindow::Part::Next, 72, 92},   {BandWindow::Part::Mute, 94, 114}, {BandWindow::Part::Volume, 118, 170},
};
constexpr int kTrackLeft = 120, kTrackRight = 168;

const QColor kFace(14, 20, 34), kEdge(92, 180, 255), kGlyph(140, 220, 255), kLamp(255, 196, 64),
    kDim(70, 84, 110);

QRectF SpanRect(BandWindow::Part part) {
    for (const Span& s : kSpans)
        if (s.part == part) return QRectF(s.left, 4, s.right - s.left, BandWindow::kHeight - 8);
    return {};
}

void DrawTriangle(QPainter& p, QRectF in, bool pointsRight) {
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(in.left(), in.top());
        path.lineTo(in.right(), in.center().y());
        path.lineTo(in.left(), in.bottom());
    } else {
        path.moveTo(in.right(), in.top());
        path.lineTo(in.left(), in.center().y());
        path.lineTo(in.right(), in.bottom());
    }
    path.closeSubpath();
    p.drawPath(path);
}
}  // namespace

BandWindow::BandWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("타보라 미니 플레이어"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    // A dock: the panel's neighbour, on every desktop, never taking the focus.
    setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    setFixedSize(kWidth, kHeight);
    ShowState();
}

BandWindow::Part BandWindow::PartAt(int x) {
    for (const Span& s : kSpans)
        if (x >= s.left && x < s.right) return s.part;
    return Part::None;
}

int BandWindow::VolumeAt(int x) {
    const int at = std::clamp(x, kTrackLeft, kTrackRight) - kTrackLeft;
    return (at * kVolumePositions + (kTrackRight - kTrackLeft) / 2) / (kTrackRight - kTrackLeft);
}

void BandWindow::OnMessage(unsigned message, uint32_t wParam, uint32_t lParam) {
    switch (message) {
    case kState:
        player_ = wParam;
        state_ = DecodeStateWord(lParam);
        controls_ = true;
        break;
    case kModes:
        player_ = wParam;
        modes_ = DecodeModesWord(lParam);
        break;
    case kClose:
        controls_ = false;
        break;
    case kStopped:
        state_.playState = PlayState(false, PlayStateIsMuted(state_.playState));
        break;
    default:
        return;
    }
    ShowState();
    update();
}

void BandWindow::Request(unsigned message, uint32_t wParam) {
    if (player_ != 0) SendWindowMessage(player_, message, wParam, 0);
}

void BandWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int x = static_cast<int>(event->position().x());
    const Part part = PartAt(x);
    if (!controls_ || part == Part::Icon) {
        Request(kShow);
        return;
    }
    const bool muted = PlayStateIsMuted(state_.playState);
    const bool playing = PlayStateIsPlaying(state_.playState);
    switch (part) {
    case Part::Back: Request(kBack); break;
    case Part::Next: Request(kNext); break;
    case Part::Play:
        // Shown at once; the player's answer confirms it.
        state_.playState = PlayState(!playing, muted);
        Request(kPlay);
        break;
    case Part::Mute:
        state_.playState = PlayState(playing, !muted);
        Request(kMute, muted ? 0 : 1);
        break;
    case Part::Volume:
        state_.volumePosition = VolumeAt(x);
        Request(kVolume, static_cast<uint32_t>(state_.volumePosition));
        break;
    default: break;
    }
    ShowState();
    update();
}

void BandWindow::wheelEvent(QWheelEvent* event) {
    if (!controls_) return;
    const int step = event->angleDelta().y() > 0 ? 2 : event->angleDelta().y() < 0 ? -2 : 0;
    if (step == 0) return;
    state_.volumePosition = std::clamp(state_.volumePosition + step, 0, kVolumePositions);
    Request(kVolume, static_cast<uint32_t>(state_.volumePosition));
    ShowState();
    update();
}

void BandWindow::ShowState() {
    // The title says what the strip shows, for the desktop's window lists and tools.
    QString title = QStringLiteral("타보라 미니 플레이어");
    if (controls_) {
        const bool playing = PlayStateIsPlaying(state_.playState);
        title += QStringLiteral(" - %1 %2/%3")
                     .arg(playing ? QStringLiteral("재생") : QStringLiteral("정지"))
                     .arg(state_.volumePosition)
                     .arg(kVolumePositions);
        if (PlayStateIsMuted(state_.playState)) title += QStringLiteral(" 음소거");
        static const char* const kRepeat[] = {"반복 없음", "한곡 반복", "전곡 반복"};
        title += QStringLiteral(" ") + QString::fromUtf8(kRepeat[static_cast<int>(modes_.repeat)]);
        if (modes_.shuffle) title += QStringLiteral(" 무작위");
    }
    setWindowTitle(title);
}

void BandWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), kFace);
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    // The player's mark: a play triangle with three bars.
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    DrawTriangle(p, QRectF(5, 7, 9, 14), true);
    p.setBrush(kLamp);
    for (int i = 0; i < 3; ++i) {
        const int h = (i == 1) ? 12 : 7 + i;
        p.drawRect(QRectF(16 + i * 3.5, 21 - h, 2.5, h));
    }
    if (!controls_) return;
    const bool playing = PlayStateIsPlaying(state_.playState);
    const bool muted = PlayStateIsMuted(state_.playState);
    p.setBrush(kGlyph);
    const QRectF back = SpanRect(Part::Back).adjusted(4, 4, -4, -4);
    DrawTriangle(p, back.adjusted(3, 0, 0, 0), false);
    p.drawRect(QRectF(back.left(), back.top(), 2, back.height()));
    const QRectF play = SpanRect(Part::Play).adjusted(5, 4, -5, -4);
    if (playing) {
        p.drawRect(QRectF(play.left(), play.top(), 4, play.height()));
        p.drawRect(QRectF(play.right() - 4, play.top(), 4, play.height()));
    } else {
        DrawTriangle(p, play, true);
    }
    const QRectF next = SpanRect(Part::Next).adjusted(4, 4, -4, -4);
    DrawTriangle(p, next.adjusted(0, 0, -3, 0), true);
    p.drawRect(QRectF(next.right() - 2, next.top(), 2, next.height()));
    // The speaker, crossed out while muted.
    const QRectF mute = SpanRect(Part::Mute).adjusted(4, 5, -4, -5);
    QPainterPath speaker;
    speaker.moveTo(mute.left(), mute.center().y() - 3);
    speaker.lineTo(mute.left() + 4, mute.center().y() - 3);
    speaker.lineTo(mute.left() + 9, mute.top());
    speaker.lineTo(mute.left() + 9, mute.bottom());
    speaker.lineTo(mute.left() + 4, mute.center().y() + 3);
    speaker.lineTo(mute.left(), mute.center().y() + 3);
    speaker.closeSubpath();
    p.setBrush(muted ? kDim : kGlyph);
    p.drawPath(speaker);
    if (muted) {
        p.setPen(QPen(kLamp, 1.5));
        p.drawLine(QPointF(mute.left() + 10, mute.top()), QPointF(mute.right(), mute.bottom()));
        p.setPen(Qt::NoPen);
    }
    // The volume track and its level.
    p.setBrush(kDim);
    p.drawRoundedRect(QRectF(kTrackLeft, 12, kTrackRight - kTrackLeft, 4), 2, 2);
    p.setBrush(muted ? kDim : kLamp);
    const double level = double(state_.volumePosition) / kVolumePositions * (kTrackRight - kTrackLeft);
    p.drawRoundedRect(QRectF(kTrackLeft, 12, level, 4), 2, 2);
    // Repeat and shuffle lamps.
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    static const char* const kRepeatMark[] = {"-", "1", "A"};
    p.setPen(modes_.repeat == RepeatMode::Off ? kDim : kLamp);
    p.drawText(QRectF(172, 4, 12, 20), Qt::AlignCenter, QString::fromLatin1(kRepeatMark[static_cast<int>(modes_.repeat)]));
    p.setPen(modes_.shuffle ? kLamp : kDim);
    p.drawText(QRectF(184, 4, 12, 20), Qt::AlignCenter, QStringLiteral("S"));
}

}  // namespace tavora::band
