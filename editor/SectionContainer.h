#pragma once

// The holder of one component of a component display: a child of the
// display's bar whose length the bar animates, with the component's panel
// inside (owned: it goes with the container). It draws the display's
// section bitmap at its horizontal offset.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "gui/Control.h"

class ComponentDisplay;

class SectionContainer : public gui::Control {
public:
    SectionContainer(gui::UserInterface& userInterface, ComponentDisplay& display, float offset);
    ~SectionContainer() override;

    void componentDeleted(gui::Component* component) override;
    void draw(gui::Canvas& canvas) override;

    ComponentDisplay* display() const { return display_; }
    float offset() const { return offset_; }

private:
    ComponentDisplay* display_;
    float offset_;
};
