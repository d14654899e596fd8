#pragma once

// A user-interface timer: ticks on the GUI thread while enabled, every
// interval milliseconds (or once per frame when frame-driven, where the
// platform offers that). The user interface makes them (createTimer); the
// platform's timer reacts to its properties and calls tick() when it fires.
// Tests fire a timer by calling tick() themselves.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"

namespace gui {

class Timer : public PropertyOwner {
public:
    Timer() : enabled(this, false), interval(this, 100), frameDriven(this, false) {}
    // Fires destroyEvent first, so that users of the timer can let go of it.
    ~Timer() override { destroyEvent.notify(this); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    Property<bool> enabled;
    Property<int> interval; // milliseconds
    Property<bool> frameDriven;
    NotifyEvent tickEvent;
    NotifyEvent destroyEvent;

    // Fires the tick event (the timer is the argument).
    void tick() { tickEvent.notify(this); }

    // The platform timer restarts or stops itself here; the base does nothing.
    void propertyChanged(AbstractProperty&) override {}
};

} // namespace gui
