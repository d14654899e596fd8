#include "gui/windows/NativeMenu.h"

#include "foundation/windows/Win32Support.h"

namespace gui {

namespace {

void flattenInto(const Menu& menu, std::vector<MenuItem*>& items) {
    for (int i = 0; i < menu.itemCount(); ++i) {
        MenuItem* item = menu.itemAt(i);
        items.push_back(item);
        flattenInto(*item, items);
    }
}

// Appends the menu's visible items to the native menu; next is the flat
// position of the menu's first item.
bool fill(HMENU native, const Menu& menu, UINT& next) {
    for (int i = 0; i < menu.itemCount(); ++i) {
        const MenuItem& item = *menu.itemAt(i);
        const UINT id = ++next;
        if (!item.visible.getValue()) {
            next += UINT(flattenMenu(item).size());
            continue;
        }
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE;
        info.wID = id;
        std::wstring text;
        if (item.isSeparator()) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING;
            info.fType = MFT_STRING;
            text = menuItemText(item.text.getValue());
            info.dwTypeData = text.data();
            info.cch = UINT(text.size());
        }
        if (item.isChecked.getValue()) info.fState |= MFS_CHECKED;
        if (!item.enabled.getValue()) info.fState |= MFS_DISABLED;
        HMENU submenu = nullptr;
        if (item.itemCount() > 0) {
            submenu = CreatePopupMenu();
            if (submenu == nullptr) return false;
            if (!fill(submenu, item, next)) {
                DestroyMenu(submenu);
                return false;
            }
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = submenu;
        }
        if (!InsertMenuItemW(native, UINT(GetMenuItemCount(native)), TRUE, &info)) {
            if (submenu != nullptr) DestroyMenu(submenu);
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<MenuItem*> flattenMenu(const Menu& menu) {
    std::vector<MenuItem*> items;
    flattenInto(menu, items);
    return items;
}

std::wstring menuItemText(const std::string& text) {
    std::wstring result;
    for (wchar_t c : win32::wide(text)) {
        if (c == L'&') result += L'&';
        result += c;
    }
    return result;
}

HMENU buildNativeMenu(const Menu& menu) {
    HMENU native = CreatePopupMenu();
    if (native == nullptr) return nullptr;
    UINT next = 0;
    if (!fill(native, menu, next)) {
        DestroyMenu(native);
        return nullptr;
    }
    return native;
}

} // namespace gui
