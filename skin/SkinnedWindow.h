#pragma once
// SkinnedWindow: the base of the main, equaliser and playlist windows.
//
// What a subclass gets:
// - a frameless tool window, owned by (transient for) the widget given as owner,
//   without a taskbar entry of its own;
// - composition: every repaint draws the elements in the subclass's order, then its
//   dynamic overlays, then the DrawAfterCompose displays, clipped to the invalidated
//   region, into Qt's backing store, which reaches the screen in one go. A window
//   whose elements follow a few facts (ElementsKey) keeps them composed in a picture
//   of its own and only copies the invalidated part of it; the picture is composed
//   again when a fact, a button's look or the size changes, or the skin is reloaded.
//   ComposeWindow gives the same picture for tests. Every bitmap goes through
//   DrawElement (see DrawElement.h);
// - windowless push buttons (SkinButtonGroup): register each with the element whose
//   rectangle is hit-tested and its action; DrawButton picks the down, over or
//   default image by the button's flags, from one element with three bitmaps or
//   from three elements (for a button whose look follows a mode, pass the set the
//   mode selects);
// - dragging by the background: a left press on no button and no control (as
//   IsOnControl says) arms a drag; the next move with no button pressed and no slider
//   being dragged hands the move to the window manager (QWindow::startSystemMove);
// - the mouse-capture rules: the window tracks the cursor (mouse tracking, plus Qt's
//   implicit grab while a button is held) unless an animation runs, and treats the
//   cursor as gone once it leaves the background picture (BackgroundRect) while no
//   slider is dragged: hover marks drop and presses are cancelled;
// - the skin reload hook: ReloadSkin() runs LoadSkin() and repaints. Every live
//   skinned window is registered (SkinClient) so that the skin-reload command can
//   reach all of them in a fixed order (ReloadAllSkins in SkinSelection.h).
//
// Line sliders (LineSlider.h) and digit displays (DigitDisplay.h) are drawn by the
// subclass in DrawOverlays; their mouse handling goes in OnPress/OnMove/OnRelease,
// which run after the shared button rules.
//
// GUI thread only.

#include <QImage>
#include <QWidget>

#include <vector>

#include "DrawElement.h"
#include "SkinButtons.h"
#include "SkinClient.h"

namespace tavora {

class SkinnedWindow : public QWidget, public SkinClient {
    Q_OBJECT

public:
    SkinnedWindow(SkinWindowKind kind, QWidget* owner = nullptr);
    ~SkinnedWindow() override;

    SkinWindowKind windowKind() const { return kind_; }
    SkinClientOrder reloadOrder() const override;

    // Reads the skin again and repaints (the skin-reload command).
    void ReloadSkin() override;

    // The picture of the whole window at its present size, composed as a repaint
    // would compose it (the after-compose displays included). For tests and previews.
    QImage ComposeWindow();

    bool dragArmed() const { return dragArmed_; }
    SkinButtonGroup& buttons() { return buttons_; }

signals:
    // A move by the window manager was started from the background.
    void systemMoveStarted();

protected:
    // Fills the elements from CurrentSkinFile (open the reader, read, load bitmaps).
    virtual void LoadSkin() = 0;
    // Background and elements, in the window's fixed order.
    virtual void ComposeElements(QPainter& painter) = 0;
    // Digit displays, sliders, text strip, spectrum.
    virtual void DrawOverlays(QPainter& painter) {}
    // Displays drawn last (over the overlays).
    virtual void DrawAfterCompose(QPainter& painter) {}
    // What ComposeElements draws depends on, besides the buttons' looks and the size:
    // appends it to `key` and returns true to keep the composed elements. The default
    // (false) composes them at every repaint.
    virtual bool ElementsKey(std::vector<int>& key) const { return false; }
    // The kept elements are composed again at the next repaint (new skin bitmaps).
    void InvalidateElements() { elementsLayer_ = QImage(); }

    // A point on a control other than the push buttons (slider, click area).
    virtual bool IsOnControl(QPoint point) const { return false; }
    virtual bool SliderDragging() const { return false; }
    // While true (the equaliser slides), the cursor is not tracked.
    virtual bool IsAnimating() const { return false; }
    // Outside this rectangle the cursor counts as gone. Defaults to the window.
    virtual QRect BackgroundRect() const { return rect(); }
    // Whether an armed drag may start at this point (the playlist frame waits until
    // the cursor leaves the inner area).
    virtual bool MayStartMove(QPoint point) const { return true; }
    // The region to repaint when button `index` changes look (its hit rectangle).
    virtual QRegion ButtonRegion(int index) const;

    virtual void OnPress(QPoint point) {}
    virtual void OnMove(QPoint point) {}
    virtual void OnRelease(QPoint point) {}

    // Draws the button's image for its flags at its placement: from one element with
    // three bitmaps (equaliser and playlist buttons), or from three elements, one
    // picture each (the main window's _DEFAULT, _OVER and _DOWN grounds).
    bool DrawButton(QPainter& painter, SkinElement& imageSet, int buttonIndex);
    bool DrawButton(QPainter& painter, SkinElement& normal, SkinElement& over, SkinElement& down, int buttonIndex);
    bool Draw(QPainter& painter, SkinElement& element, SkinImage which = SkinImage::Default);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RepaintButtons();
    void Compose(QPainter& painter);
    // Draws the elements: from the kept picture when the window keeps one.
    void DrawElements(QPainter& painter);

    QImage elementsLayer_;
    std::vector<int> elementsKey_, keyScratch_;

    SkinWindowKind kind_;
    SkinButtonGroup buttons_;
    bool dragArmed_ = false;
};

}  // namespace tavora
