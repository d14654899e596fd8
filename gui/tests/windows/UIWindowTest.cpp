#include "gui/windows/UIWindow.h"

#include "gui/tests/windows/WindowsRig.h"

namespace gui {
namespace {

bool classRegistered() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return GetClassInfoExW(win32::libraryModule(), kUIWindowClassName, &info) != 0;
}

TEST(WinUIWindow, ChildWindowsShareTheClassUntilTheLastGoes) {
    test::TestWindow host;
    ASSERT_EQ(uiWindowCount(), 0);
    EXPECT_FALSE(classRegistered());
    const RECT rectangle{5, 6, 105, 56};
    HWND first = createUIWindow(host.handle(), &rectangle);
    HWND second = createUIWindow(host.handle(), &rectangle);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(first, name, 32);
    EXPECT_STREQ(name, L"ZT_UIWindow");
    EXPECT_EQ(GetClassLongW(first, GCL_STYLE), 0x28u);
    EXPECT_EQ(DWORD(GetWindowLongW(first, GWL_STYLE)), 0x56000000u);
    EXPECT_EQ(GetParent(first), host.handle());
    RECT placed{};
    GetWindowRect(first, &placed);
    MapWindowPoints(HWND_DESKTOP, host.handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 5);
    EXPECT_EQ(placed.top, 6);
    EXPECT_EQ(placed.right - placed.left, 100);
    EXPECT_EQ(placed.bottom - placed.top, 50);

    destroyUIWindow(first);
    EXPECT_TRUE(classRegistered());
    destroyUIWindow(second);
    EXPECT_FALSE(classRegistered());
    EXPECT_EQ(uiWindowCount(), 0);
}

TEST(WinUIWindow, FullScreenPopupCoversTheMonitorAndOnePixelMore) {
    test::TestWindow host;
    HWND popup = createUIWindow(host.handle(), nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(DWORD(GetWindowLongW(popup, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), host.handle());
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(host.handle(), MONITOR_DEFAULTTONEAREST), &info));
    RECT placed{};
    GetWindowRect(popup, &placed);
    EXPECT_EQ(placed.left, info.rcMonitor.left);
    EXPECT_EQ(placed.right, info.rcMonitor.right);
    EXPECT_EQ(placed.bottom - placed.top, info.rcMonitor.bottom - info.rcMonitor.top + 1);
    destroyUIWindow(popup);
    EXPECT_FALSE(classRegistered());
}

} // namespace
} // namespace gui
