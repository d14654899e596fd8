#pragma once

// The toolkit timer on Windows: a timer of the editor's window under its own
// id (the root control starts and stops it), or a frame timer of an
// accelerated editor. Made disabled, with an interval of 1000 ms.
//
// Threading: GUI thread (property changes from other threads are posted).

#include "gui/InterfaceTimer.h"

namespace gui {

class WindowsTimer : public InterfaceTimer {
public:
    static constexpr int kDefaultInterval = 1000;

    explicit WindowsTimer(UserInterface& userInterface) : InterfaceTimer(userInterface) {
        interval.setValue(kDefaultInterval);
    }
};

} // namespace gui
