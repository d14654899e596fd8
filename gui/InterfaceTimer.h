#pragma once

// The timer that user interfaces make (createTimer): a component of the user
// interface with an id of its own. Whenever enabled, interval or
// frame-driven change (or the window is made), it updates itself: off the GUI
// thread it posts itself to the GUI list and returns; on it, it leaves the frame
// timers and stops, then, when enabled with an interval of at least 1 ms, a
// frame-driven timer joins the frame timers of an accelerated user interface
// and any other starts on the root control's window.
//
// Its destructor stops it and leaves the id table and the frame timers.
//
// Threading: GUI thread (property changes from other threads are posted).

#include "gui/Component.h"
#include "gui/Timer.h"

namespace gui {

class InterfaceTimer : public Timer, public Component {
public:
    explicit InterfaceTimer(UserInterface& userInterface);
    ~InterfaceTimer() override;

    int id() const { return id_; }
    void propertyChanged(AbstractProperty& property) override;
    // The posted message that updates the timer on the GUI thread.
    static constexpr int kUpdateMessage = 0;
    void handleMessage(int code) override;
    // Applies the properties (see the class comment).
    void update();

private:
    int id_;
};

} // namespace gui
