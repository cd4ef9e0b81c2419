#pragma once
// Windowless push buttons: the mouse rules every skinned window shares.
//
// A button is pressed when the left button goes down inside it and clicks when the
// left button comes up inside it while still pressed. Moving off a pressed button
// cancels the press for good: coming back before the release does not revive it.
// Every release clears all presses. Hover follows the cursor.
//
// Where a button is hit depends on the window: the main window tests the rectangle as
// read, the equaliser the same rectangle measured from its right edge, the playlist
// window the rectangle where it last drew the button.
//
// GUI thread only.

#include <functional>
#include <vector>

#include "DrawElement.h"
#include "SkinElement.h"

namespace tavora {

enum class SkinHitRule { Rect, RightAnchored, Placed };

// The rectangle in client coordinates that the rule gives for the element.
SkinRect HitRect(const SkinElement& element, SkinHitRule rule, int clientWidth);

// The image a button shows for its flags: down when pressed, else over when hovered.
SkinImage ButtonImage(const SkinElementState& state);

class SkinButtonGroup {
public:
    struct Button {
        const SkinElement* hot = nullptr;  // whose rectangle is hit-tested
        SkinHitRule rule = SkinHitRule::Rect;
        std::function<void()> onClick;
        SkinElementState state;
    };

    // Returns the button's index; the element must outlive the group.
    int Add(const SkinElement& hot, SkinHitRule rule, std::function<void()> onClick);
    void Clear() { buttons_.clear(); }

    void SetClientWidth(int width) { clientWidth_ = width; }
    // Index of the first button whose hit rectangle holds the point, or -1.
    int HitTest(int x, int y) const;
    SkinRect Rect(int index) const;

    // The rules; each returns whether any button's flags changed (the caller repaints).
    bool MouseMove(int x, int y);
    // Returns whether the point was on a button.
    bool Press(int x, int y);
    // Runs the action of a pressed button under the point, then clears every press.
    // Returns the number of actions run.
    int Release(int x, int y);
    // The cursor left the window: nothing is hovered and presses are cancelled.
    bool Leave();

    bool AnyPressed() const;
    int size() const { return static_cast<int>(buttons_.size()); }
    const SkinElementState& State(int index) const { return buttons_.at(index).state; }

private:
    std::vector<Button> buttons_;
    int clientWidth_ = 0;
};

}  // namespace tavora
