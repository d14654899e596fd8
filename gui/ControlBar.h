#pragma once

// A row or column of child controls: spacing, margins, alignment on both
// axes, flexible children (gui::FlexibleInfo) that share the free length by
// weight, and optional fitting of the bar to its content.
//
// Layout runs as the bar's batched update: any change that affects it
// (the bar's own properties, its bounds, a child added, removed, hidden or
// resized) requests a relayout, which runs at once unless the bar is held
// (UpdatedObject::Hold), in which case it runs once when the hold ends.
// layoutEvent fires after every layout; with fitToContent the bar's own size
// follows its content, so watchers of its bounds (a scroll area holding it)
// see every change of the content length, animation steps included.
//
// Inserting, removing and collapsing children are animated by
// gui::BarAnimation when the user interface has an animator. The bar owns
// its children and deletes them when it goes; its running animations are
// dropped after that and never touch a deleted child.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/BarAnimation.h"
#include "gui/Enumerations.h"
#include "gui/FlexibleInfo.h"

#include <vector>

namespace gui {

class ScrollArea;

class ControlBar : public AnimatedControl {
public:
    // Bits of animationFlags.
    static constexpr int kAnimateLength = BarAnimation::kAnimateLength;
    static constexpr int kAnimateOpacity = BarAnimation::kAnimateOpacity;

    explicit ControlBar(UserInterface& userInterface);
    ~ControlBar() override;

    Property<Alignment> alignment; // horizontal
    Property<int> animationFlags;
    Property<bool> fitToContent;
    Property<Layout> layout; // vertical
    Property<float> margin;
    Property<float> maxSpacing;
    Property<float> minHeight;
    Property<float> minWidth;
    Property<Orientation> orientation;
    Property<float> spacing;

    NotifyEvent layoutEvent; // after each layout (sender: the bar)

    void propertyChanged(AbstractProperty& property) override;
    void childChanged(Control* child, ChildChange code) override;
    void boundsChanged() override;
    void scaleChanged() override;
    // Runs a pending layout, fires layoutEvent, then the control's update.
    void update() override;

    // Makes the bar the control's parent at the child index; with an
    // animator the control grows in (and fades in) from nothing. The scroll
    // area, if any, is the one that holds the bar. Takes the handler (may be
    // null): it is called with the control once it has grown in (at once
    // without an animation), or with nothing when the control died first.
    void insertControl(int index, Control* control, ScrollArea* scrollArea = nullptr,
                       NotifyEvent::Handler* grownHandler = nullptr);
    // Takes the handler (may be null). With an animator the child fades and
    // shrinks out and is then deleted; without one it is deleted at once.
    // Either way the handler is then called with nothing (null). An index
    // out of range, or a child already on its way out, changes nothing.
    void removeControlAt(int index, NotifyEvent::Handler* completionHandler = nullptr);
    // Shrinks the child's length along the axis to 0 (animated with an
    // animator); the child stays.
    void resizeControl(Control* child);

    // Starts a bar animation of the child (the length is the target of an
    // expansion) and returns it, owned by the animator. Returns null, and
    // deletes the handler, without an animator or when the child is on its
    // way out: a removal is never replaced, since its end deletes the child.
    BarAnimation* animateControl(Control& child, BarAnimation::Kind kind, float length = 0.0f,
                                 NotifyEvent::Handler* completionHandler = nullptr,
                                 ScrollArea* scrollArea = nullptr);

    void requestLayout();
    // True while a removal animation runs for the child.
    bool isBeingRemoved(const Control* child) const;

    // What the last layout decided for each child, in child order.
    struct ChildLayout {
        Control* child = nullptr;
        bool flexible = false;
        FlexibleInfo::Record record;
        float extra = 0.0f; // length given beyond the base length
        bool included = false;
    };
    const std::vector<ChildLayout>& childLayouts() const { return childLayouts_; }

    bool isHorizontal() const { return orientation.getValue() == Orientation::kHorizontal; }

private:
    void layOut();

    std::vector<ChildLayout> childLayouts_;
    int nesting_ = 0;
    bool relayoutPending_ = false;
};

} // namespace gui
