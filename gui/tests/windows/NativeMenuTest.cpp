#include "gui/windows/NativeMenu.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

struct NativeItem {
    UINT id;
    UINT type;
    UINT state;
    std::wstring text;
    HMENU submenu;
};

NativeItem nativeItem(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, UINT(position), TRUE, &info));
    return {info.wID, info.fType, info.fState, text, info.hSubMenu};
}

MenuItem* add(Menu& menu, const char* text) {
    auto* item = new MenuItem(text);
    menu.addItem(item);
    return item;
}

TEST(WinNativeMenu, ItemsBecomeNativeItemsNumberedByTheirFlatPosition) {
    Menu menu;
    add(menu, "Open");
    menu.addSeparator();
    add(menu, "Save & Quit")->isChecked.setValue(true);
    MenuItem* hidden = add(menu, "Hidden");
    hidden->visible.setValue(false);
    add(*hidden, "Inside hidden");
    add(menu, "Off")->enabled.setValue(false);
    MenuItem* more = add(menu, "More");
    add(*more, "A&B");
    add(*more, "C")->isChecked.setValue(true);

    const std::vector<MenuItem*> flat = flattenMenu(menu);
    ASSERT_EQ(flat.size(), 9u);
    EXPECT_EQ(flat[4]->text.getValue(), "Inside hidden");
    EXPECT_EQ(flat[7]->text.getValue(), "A&B");

    HMENU native = buildNativeMenu(menu);
    ASSERT_NE(native, nullptr);
    ASSERT_EQ(GetMenuItemCount(native), 5);
    const NativeItem open = nativeItem(native, 0);
    EXPECT_EQ(open.id, 1u);
    EXPECT_EQ(open.text, L"Open");
    EXPECT_EQ(open.state & (MFS_CHECKED | MFS_DISABLED), 0u);
    EXPECT_TRUE(nativeItem(native, 1).type & MFT_SEPARATOR);
    EXPECT_EQ(nativeItem(native, 1).id, 2u);
    const NativeItem save = nativeItem(native, 2);
    EXPECT_EQ(save.id, 3u);
    EXPECT_EQ(save.text, L"Save && Quit");
    EXPECT_TRUE(save.state & MFS_CHECKED);
    const NativeItem off = nativeItem(native, 3);
    EXPECT_EQ(off.id, 6u);
    EXPECT_TRUE(off.state & MFS_DISABLED);
    const NativeItem moreItem = nativeItem(native, 4);
    EXPECT_EQ(moreItem.id, 7u);
    ASSERT_NE(moreItem.submenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(moreItem.submenu), 2);
    EXPECT_EQ(nativeItem(moreItem.submenu, 0).id, 8u);
    EXPECT_EQ(nativeItem(moreItem.submenu, 0).text, L"A&&B");
    EXPECT_EQ(nativeItem(moreItem.submenu, 1).id, 9u);
    EXPECT_TRUE(nativeItem(moreItem.submenu, 1).state & MFS_CHECKED);
    DestroyMenu(native);
}

TEST(WinNativeMenu, AmpersandsAreDoubled) {
    EXPECT_EQ(menuItemText("&&x&"), L"&&&&x&&");
    EXPECT_EQ(menuItemText("caf\xC3\xA9"), L"caf\u00E9");
}

} // namespace
} // namespace gui
