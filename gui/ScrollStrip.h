#pragma once

// A horizontal strip of controls that scrolls sideways: a scroll area that
// fills the strip, with a scroll button over each end (backward on the
// left, forward on the right, each as wide as itself and as high as the
// strip). A button shows only while there is something to scroll to on its
// side; with hideButtonsWhenFitting both hide while the content fits (the
// area then also leaves out its padding). The strip owns its parts and
// deletes all its children when it goes.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Button.h"

namespace gui {

class Bitmap;
class ScrollArea;
class ScrollButton;

class ScrollStrip : public AnimatedControl {
public:
    // Scrolled this little, a side counts as at its end.
    static constexpr float kEndTolerance = 0.25f;

    ScrollStrip(UserInterface& userInterface, Button::Style* backwardStyle, Button::Style* forwardStyle);
    ~ScrollStrip() override;

    Property<bool> hideButtonsWhenFitting;

    ScrollArea* scrollArea() const { return area_; }
    ScrollButton* backwardButton() const { return backward_; }
    ScrollButton* forwardButton() const { return forward_; }

    // Both buttons draw from the bitmap (not owned): the backward button the
    // part of the rect at its own width from the left, the forward button the
    // part at its width from the right.
    void setScrollButtonBackground(Bitmap* bitmap, const Rect& rect);
    // Shows or hides the buttons by the area's content and position.
    void updateButtonVisibility();

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(Component* component) override;
    void boundsChanged() override;

private:
    void layoutParts();

    ScrollArea* area_ = nullptr;
    ScrollButton* backward_ = nullptr;
    ScrollButton* forward_ = nullptr;
};

} // namespace gui
