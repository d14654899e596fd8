#pragma once

// The holder of one component of a component display: a child of the
// display's bar whose length the bar animates, with the component's panel
// inside (owned: it goes with the container). It draws the display's
// section bitmap at its horizontal offset.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "gui/Control.h"

namespace gui {
class Bitmap;
}

class SectionContainer : public gui::Control {
public:
    // display: the component display (as a control); sectionBitmap: its
    // section bitmap, drawn while the display lives.
    SectionContainer(gui::UserInterface& userInterface, gui::Control& display, gui::Bitmap& sectionBitmap,
                     float offset);
    ~SectionContainer() override;

    void componentDeleted(gui::Component* component) override;
    void draw(gui::Canvas& canvas) override;

    gui::Control* display() const { return display_; }
    float offset() const { return offset_; }

private:
    gui::Control* display_;
    gui::Bitmap* sectionBitmap_;
    float offset_;
};
