#pragma once

// The headless platform's pop-up menu: showing fires the open event, arms
// the pointer-drag state and asks the modal responder for an item of the
// flat list of shown items (separators and hidden items included as the
// native menu would number them). The chosen item runs only when the menu,
// its items, the root and the user interface all survived the modal call.
//
// Threading: GUI thread only; show() returns at once on another thread.

#include "gui/PopupMenu.h"

#include <memory>
#include <vector>

namespace gui {
class UserInterface;
}

namespace gui::headless {

class HeadlessPopupMenu : public PopupMenu {
public:
    explicit HeadlessPopupMenu(UserInterface& userInterface);
    ~HeadlessPopupMenu() override;

    void show(const Point& point) override;
    // The visible items of a menu and its submenus, depth first.
    static std::vector<MenuItem*> flatten(const Menu& menu);

private:
    UserInterface& userInterface_;
    std::shared_ptr<bool> alive_;
};

} // namespace gui::headless
