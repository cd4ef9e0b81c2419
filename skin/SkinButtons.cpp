#include "SkinButtons.h"

#include <climits>
#include <cstdint>

namespace tavora {

SkinRect HitRect(const SkinElement& element, SkinHitRule rule, int clientWidth) {
    switch (rule) {
    case SkinHitRule::Rect: return element.rect;
    case SkinHitRule::Placed: return element.placedRect;
    case SkinHitRule::RightAnchored: {
        auto clamp = [](int64_t v) { return static_cast<int>(v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : v)); };
        const int left = clamp(int64_t{clientWidth} - element.rect.left);
        return {left, element.rect.top, clamp(int64_t{left} + element.Width), element.rect.bottom};
    }
    }
    return element.rect;
}

SkinImage ButtonImage(const SkinElementState& state) {
    if (state.pressed) return SkinImage::Down;
    if (state.hover) return SkinImage::Over;
    return SkinImage::Default;
}

int SkinButtonGroup::Add(const SkinElement& hot, SkinHitRule rule, std::function<void()> onClick) {
    buttons_.push_back(Button{&hot, rule, std::move(onClick), {}});
    return static_cast<int>(buttons_.size()) - 1;
}

SkinRect SkinButtonGroup::Rect(int index) const {
    const Button& b = buttons_.at(index);
    return HitRect(*b.hot, b.rule, clientWidth_);
}

int SkinButtonGroup::HitTest(int x, int y) const {
    for (int i = 0; i < size(); ++i)
        if (Rect(i).Contains(x, y)) return i;
    return -1;
}

bool SkinButtonGroup::MouseMove(int x, int y) {
    bool changed = false;
    for (int i = 0; i < size(); ++i) {
        SkinElementState& s = buttons_[i].state;
        const bool inside = Rect(i).Contains(x, y);
        const SkinElementState before = s;
        s.hover = inside;
        if (!inside) s.pressed = false;
        changed |= before.hover != s.hover || before.pressed != s.pressed;
    }
    return changed;
}

bool SkinButtonGroup::Press(int x, int y) {
    bool hit = false;
    for (int i = 0; i < size(); ++i) {
        if (Rect(i).Contains(x, y)) {
            buttons_[i].state.pressed = true;
            hit = true;
        }
    }
    return hit;
}

int SkinButtonGroup::Release(int x, int y) {
    // Collect first: an action may reload the skin or clear the group.
    std::vector<std::function<void()>> actions;
    for (int i = 0; i < size(); ++i)
        if (buttons_[i].state.pressed && Rect(i).Contains(x, y) && buttons_[i].onClick)
            actions.push_back(buttons_[i].onClick);
    for (Button& b : buttons_) b.state.pressed = false;
    for (auto& action : actions) action();
    return static_cast<int>(actions.size());
}

bool SkinButtonGroup::Leave() {
    bool changed = false;
    for (Button& b : buttons_) {
        changed |= b.state.hover || b.state.pressed;
        b.state = {};
    }
    return changed;
}

bool SkinButtonGroup::AnyPressed() const {
    for (const Button& b : buttons_)
        if (b.state.pressed) return true;
    return false;
}

}  // namespace tavora
