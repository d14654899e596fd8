#pragma once

// Grows, fades, shrinks or collapses one child of a gui::ControlBar over
// 300 ms, keyed by the child (a new bar animation of the same child replaces
// the running one). Bars start them (ControlBar::animateControl and the
// bar's insert, remove and resize operations).
//
// Kinds: insert grows the child's length from 0 to its length and fades it
// in; remove fades it out, shrinks it to 0 and then deletes it; expand grows
// it to a given length; collapse shrinks it to 0 and keeps it. Expand and
// collapse animate the length only. With both the length and the opacity
// flags, an insert grows first and fades in afterwards, a removal fades out
// first and shrinks afterwards. Lengths follow the ease-out curve, clamped
// to [0, 1] of the target; opacities move linearly and are truncated.
//
// Lifetime: the animation is linked to its child and its bar. A child that
// dies (deleted by its bar or by anyone else) is never touched again: the
// animation ends at its next step, deletes nothing and calls its completion
// handler with nothing. When the animation ends its handler gets the child,
// or nothing when the child is gone (always nothing after a removal).
// The scroll area given at the start, if any, is laid out again after each
// step while it lives.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "gui/Animation.h"
#include "gui/Component.h"

#include <memory>

namespace gui {

class ScrollArea;

class BarAnimation : public Animation {
public:
    enum class Kind { kInsert = 0, kRemove = 1, kExpand = 2, kCollapse = 3 };
    // Bits of the flags.
    enum Flag : int { kAnimateLength = 1, kAnimateOpacity = 2 };

    static constexpr int kDuration = 300; // ms

    // Links the animation to its child and its bar; the bar finds its
    // running animations among its links.
    class Link : public Component {
    public:
        Link(UserInterface& userInterface, BarAnimation& owner) : Component(userInterface), owner_(owner) {}
        void componentDeleted(Component* component) override;
        BarAnimation& owner() const { return owner_; }

    private:
        BarAnimation& owner_;
    };

    // The ease of the length: 1 at t = 0, 0 at t = 1.
    static float lengthEase(float t);

    // A step after the child died only ends the animation.
    void step() override;
    void destroy() override;
    ~BarAnimation() override;
    void apply(float progress) override;

    Kind kind() const { return kind_; }
    Control* child() const { return child_; }
    Control* bar() const { return bar_; }
    int flags() const { return flags_; }
    float targetLength() const { return targetLength_; }
    int startOpacity() const { return startOpacity_; }
    // The scroll area holding the bar, given at the start, if any.
    ScrollArea* scrollArea() const { return scrollArea_; }

private:
    friend class ControlBar;

    // Takes the handler. flags are the bar's; expand and collapse use the
    // length only. An insertion first sets the child's length and opacity
    // to 0 (as the flags say), after taking them as its targets.
    BarAnimation(Animator& animator, Control& bar, Control& child, Kind kind, int flags, bool horizontal,
                 float length, NotifyEvent::Handler* completionHandler, ScrollArea* scrollArea);
    void componentDeleted(Component* component);
    void setChildLength(float length);
    void detach();

    Control* bar_;
    Control* child_;
    std::unique_ptr<Link> link_;
    int flags_;
    std::unique_ptr<NotifyEvent::Handler> completionHandler_;
    Kind kind_;
    bool horizontal_;
    int startOpacity_;
    float targetLength_;
    ScrollArea* scrollArea_;
};

} // namespace gui
