#pragma once

// A menu that the platform shows at a point of the user interface. Showing
// fires the open event first; the chosen item's fireSelected runs after the
// menu has closed.

#include "gui/BasicPoint.h"
#include "gui/Menu.h"

namespace gui {

class PopupMenu : public Menu {
public:
    using Menu::Menu;

    NotifyEvent openEvent;

    // point in logical units of the user interface's root control.
    virtual void show(const Point& point) = 0;
};

} // namespace gui
