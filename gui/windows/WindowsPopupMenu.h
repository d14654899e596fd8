#pragma once

// A toolkit pop-up menu shown as a native menu of the UI window. Showing
// fires the open event, builds the native menu, tracks it inside a modal
// frame and, when an item was chosen and neither the menu nor its items were
// deleted meanwhile (the modal loop keeps dispatching messages), runs the
// item's selection. When the editor was destroyed meanwhile nothing runs.
//
// Threading: GUI thread only; show() returns at once on any other thread.

#include "gui/PopupMenu.h"

#include <memory>
#include <windows.h>

namespace gui {

class UserInterface;

class WindowsPopupMenu : public PopupMenu {
public:
    explicit WindowsPopupMenu(UserInterface& userInterface);
    ~WindowsPopupMenu() override;

    void show(const Point& point) override;

private:
    UserInterface& userInterface_;
    DWORD guiThread_;
    std::shared_ptr<bool> alive_;
};

} // namespace gui
