#pragma once

// What a platform shows for a menu: the visible items in order, separators
// for the text "-", check marks, disabled items, submenus, and labels with
// every "&" doubled so that it shows literally. Every described item also
// gets a number in one flat list, counting from 1 in the order visited; the
// platform reports the chosen item by that number.

#include <string>
#include <vector>

namespace gui {

class Menu;
class MenuItem;

struct MenuEntry {
    enum class Kind { kItem, kSeparator, kSubmenu };
    Kind kind = Kind::kItem;
    std::string label;
    bool checked = false;
    bool enabled = true;
    int number = 0; // position in the flat list, from 1
    MenuItem* item = nullptr;
    std::vector<MenuEntry> children; // of a submenu
};

struct MenuDescription {
    std::vector<MenuEntry> entries;
    std::vector<MenuItem*> flat;

    // The item of a number from the flat list; null outside 1..size.
    MenuItem* itemForNumber(int number) const;
};

MenuDescription describeMenu(const Menu& menu);

} // namespace gui
