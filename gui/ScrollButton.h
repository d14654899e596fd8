#pragma once

// A button at one end of a scroll strip that scrolls its scroll area
// sideways while it is pressed, hovered or dragged over. The speed eases
// towards a target: each animator tick halves the way to it, and the
// button stops (and unregisters from the animator) once the target is 0 and
// the speed, in either direction, is at most 5 units per second. Pressed,
// the target follows the pointer: 5 x (x - press x + 25) for a forward
// button, 5 x (x - press x - 25) for a backward one. Fractions of a unit
// carry over from tick to tick.
//
// Animation: the button is its own AnimatedObject, registered keyed by
// itself while it runs; it unregisters in its destructor, and a step that
// unregisters touches nothing afterwards.
//
// Look: the button's part of a shared background and its gradient, cached
// in a bitmap that is rebuilt only while drawing. A single gradient stop
// fades from its colour to transparent instead. Gradients run towards the
// button's direction: position 0 at the inner edge, 1 at the outer edge.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/IntervalTimer.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Button.h"
#include "gui/Gradient.h"

#include <memory>

// Gradients compare by their stops.
template <> struct PropertyEquality<gui::Gradient> {
    static bool equal(const gui::Gradient& held, const gui::Gradient& candidate);
};

namespace gui {

class ScrollArea;

class ScrollButton : public Button, public AnimatedObject {
public:
    enum class ScrollDirection { kBackward = 0, kForward = 1 };

    // Pressed: units per second per unit of pointer travel, and the travel
    // at the press itself (so a press alone scrolls at 125).
    static constexpr float kPressFactor = 5.0f;
    static constexpr float kPressOffset = 25.0f;
    // A dragged object entering, and resting on, the button.
    static constexpr float kDragEnterSpeed = 50.0f;
    static constexpr float kDragRestSpeed = 150.0f;
    // With no target, the button stops at or below this speed.
    static constexpr float kStopSpeed = 5.0f;

    // The area (not owned) must be given: the button works in its user
    // interface. It forgets the area when the area goes.
    ScrollButton(ScrollArea* area, ScrollDirection direction, Button::Style* style);
    ~ScrollButton() override;

    Property<Gradient> gradient;
    Property<float> hoverSpeed; // target while the pointer is over the button, not pressing

    // The shared background (not owned) and the button's part of it.
    void setBackground(Bitmap* bitmap, const Rect& part);
    void setTargetSpeed(float speed);

    float targetSpeed() const { return target_; }
    float currentSpeed() const { return current_; }
    bool isRunning() const { return running_; }
    ScrollDirection direction() const { return direction_; }
    ScrollArea* scrollArea() const { return area_; }
    // The cached look (null without one; valid after a draw).
    const Bitmap* look() const { return look_.get(); }

    void step() override;

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(Component* component) override;
    // 0 entered, 1 left, 2 rests: 50, 0 and 150 in the button's direction.
    void fireEvent6(int phase) override;
    int hitAlpha(const Point& point) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    void scaleChanged() override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;

private:
    float sign() const { return direction_ == ScrollDirection::kForward ? 1.0f : -1.0f; }
    float pressedSpeed(float x) const;
    Direction gradientDirection() const;
    void rebuildLook();

    ScrollArea* area_;
    std::unique_ptr<Bitmap> look_;
    bool lookStale_ = true;
    Bitmap* background_ = nullptr;
    Rect backgroundPart_;
    float target_ = 0.0f;
    float current_ = 0.0f;
    bool running_ = false;
    float carry_ = 0.0f;
    ScrollDirection direction_;
    bool scrollPressed_ = false;
    Point pressPoint_;
    std::unique_ptr<IntervalTimer> timer_;
};

} // namespace gui
