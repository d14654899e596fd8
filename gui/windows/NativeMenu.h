#pragma once

// The native form of a toolkit menu: every visible item becomes a menu item
// whose id is its position in a flat list of all the menu's items (depth
// first) plus 1. An item "-" is a separator, ticked items are checked,
// disabled items greyed, items with items open a submenu, and every "&" of a
// text is doubled so that it shows as itself.
//
// Threading: GUI thread only.

#include "gui/Menu.h"

#include <string>
#include <vector>
#include <windows.h>

namespace gui {

// Every item of the menu, depth first (a submenu's items follow their item).
std::vector<MenuItem*> flattenMenu(const Menu& menu);
// A new pop-up menu (the caller destroys it with DestroyMenu); null when the system refuses one.
HMENU buildNativeMenu(const Menu& menu);
// The text with each "&" doubled.
std::wstring menuItemText(const std::string& text);

} // namespace gui
