#include "gui/windows/DisplayScale.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

// Fake monitors: the handle value is the index into the DPI list.
std::vector<UINT> fakeDpis;
bool fakeEnumerationFails = false;
bool fakeDpiFails = false;
int fakeLogPixels = 96;

bool fakeEnumerate(std::vector<HMONITOR>& monitors) {
    if (fakeEnumerationFails) return false;
    for (std::size_t i = 0; i < fakeDpis.size(); ++i)
        monitors.push_back(reinterpret_cast<HMONITOR>(i + 1));
    return true;
}

HRESULT WINAPI fakeGetDpi(HMONITOR monitor, int type, UINT* x, UINT* y) {
    if (fakeDpiFails || type != 0) return E_FAIL;
    const UINT dpi = fakeDpis.at(reinterpret_cast<std::size_t>(monitor) - 1);
    *x = dpi;
    *y = dpi - 10; // the larger axis counts
    return S_OK;
}

int fakeLogPixelsY() {
    return fakeLogPixels;
}

class WinDisplayScale : public ::testing::Test {
protected:
    WinDisplayScale() {
        fakeDpis = {96};
        fakeEnumerationFails = false;
        fakeDpiFails = false;
        fakeLogPixels = 96;
        table.enumerateMonitors = fakeEnumerate;
        table.getDpiForMonitor = fakeGetDpi;
        table.screenLogPixelsY = fakeLogPixelsY;
        setDpiFunctions(&table);
    }
    ~WinDisplayScale() override { setDpiFunctions(nullptr); }
    static HMONITOR monitor(int index) { return reinterpret_cast<HMONITOR>(std::size_t(index) + 1); }
    DpiFunctions table{};
};

TEST_F(WinDisplayScale, MonitorDpiQuantizes) {
    const std::pair<UINT, float> cases[] = {{96, 1.0f},  {120, 1.25f}, {144, 1.5f}, {168, 1.75f},
                                            {192, 2.0f}, {240, 2.5f},  {288, 3.0f}, {400, 3.0f}};
    for (const auto& [dpi, scale] : cases) {
        fakeDpis = {dpi};
        EXPECT_FLOAT_EQ(backingScaleForMonitor(monitor(0)), scale) << dpi;
    }
    fakeDpiFails = true;
    fakeDpis = {144};
    EXPECT_FLOAT_EQ(backingScaleForMonitor(monitor(0)), 1.0f);
}

TEST_F(WinDisplayScale, WithoutPerMonitorDpiTheScreenCounts) {
    table.getDpiForMonitor = nullptr;
    fakeLogPixels = 144;
    EXPECT_FLOAT_EQ(backingScaleForMonitor(monitor(0)), 1.5f);
}

TEST_F(WinDisplayScale, TheSmallestMonitorWins) {
    fakeDpis = {192, 96};
    EXPECT_FLOAT_EQ(smallestMonitorScale(), 1.0f);
    fakeDpis = {192, 144};
    EXPECT_FLOAT_EQ(smallestMonitorScale(), 1.5f);
    fakeEnumerationFails = true;
    EXPECT_FLOAT_EQ(smallestMonitorScale(), 1.0f);
    fakeEnumerationFails = false;
    fakeDpis = {};
    EXPECT_FLOAT_EQ(smallestMonitorScale(), 1.0f);
}

TEST(WinDisplayScaleSystem, TheRealChainGivesOneUnderTheTestPrefix) {
    setDpiFunctions(nullptr);
    const DpiFunctions& system = loadDpiFunctions();
    EXPECT_EQ(&system, &dpiFunctions());
    EXPECT_EQ(&system, &loadDpiFunctions());
    ASSERT_NE(system.enumerateMonitors, nullptr);
    EXPECT_FLOAT_EQ(smallestMonitorScale(), 1.0f);
    const POINT origin{0, 0};
    EXPECT_FLOAT_EQ(backingScaleForMonitor(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST)), 1.0f);
}

} // namespace
} // namespace gui
