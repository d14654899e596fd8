#pragma once

// A pointer to a control owned elsewhere (by the tree, a panel that dies at
// run time) for an object that is no component itself, such as an overlay's
// ghost: it links itself to the control and forgets it when it dies.
//
// Threading: GUI thread; the render thread reads it under the root lock.

#include "gui/Component.h"

namespace gui {
class Control;
}

class WatchedControl : public gui::Component {
public:
    explicit WatchedControl(gui::Control& control);
    ~WatchedControl() override;

    // Null once the control died.
    gui::Control* control() const { return control_; }
    // The control lives, is attached to the root and is visible there.
    bool isShown() const;

    void componentDeleted(gui::Component* component) override;

private:
    gui::Control* control_;
};
