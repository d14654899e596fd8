#include "gui/windows/WindowsInterface.h"

#include "gui/DisplayOptions.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/NativeWindowsControl.h"

namespace gui {
namespace {

std::vector<UINT> monitorDpis;

bool twoMonitors(std::vector<HMONITOR>& monitors) {
    for (std::size_t i = 0; i < monitorDpis.size(); ++i)
        monitors.push_back(reinterpret_cast<HMONITOR>(i + 1));
    return true;
}

HRESULT WINAPI monitorDpi(HMONITOR monitor, int, UINT* x, UINT* y) {
    *x = *y = monitorDpis.at(reinterpret_cast<std::size_t>(monitor) - 1);
    return S_OK;
}

HMONITOR firstMonitor(HWND) {
    return reinterpret_cast<HMONITOR>(std::size_t(1));
}

class WinInterface : public ::testing::Test {
protected:
    ~WinInterface() override {
        setDpiFunctions(nullptr);
        displayOptions() = DisplayOptions();
        WindowsInterface::setAcceleratedRootFactory({});
    }
    std::unique_ptr<WindowsInterface> make(float scale, const std::string& settings = "") {
        return std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 300, 150}, settings, scale);
    }
    test::TestWindow host;
};

TEST_F(WinInterface, TheScaleComesFromTheHostTheOverrideOrTheSmallestMonitor) {
    monitorDpis = {96, 192};
    DpiFunctions table{};
    table.enumerateMonitors = twoMonitors;
    table.getDpiForMonitor = monitorDpi;
    table.monitorFromWindow = firstMonitor;
    setDpiFunctions(&table);

    auto fromMonitors = make(0.0f);
    EXPECT_FLOAT_EQ(fromMonitors->deviceBacking().getScale(), 1.0f);
    EXPECT_EQ(fromMonitors->windowsRoot().bounds.getValue(), Rect(0, 0, 300, 150));
    fromMonitors.reset();

    monitorDpis = {144, 192};
    auto smallest = make(0.0f);
    EXPECT_FLOAT_EQ(smallest->deviceBacking().getScale(), 1.5f);
    EXPECT_EQ(smallest->windowsRoot().bounds.getValue(), Rect(0, 0, 200, 100));
    smallest.reset();

    auto fixed = make(2.0f);
    EXPECT_FLOAT_EQ(fixed->deviceBacking().getScale(), 2.0f);
    EXPECT_EQ(fixed->windowsRoot().bounds.getValue(), Rect(0, 0, 150, 75));
    fixed.reset();

    displayOptions().globalScaleOverride = 1.25f;
    auto overridden = make(2.0f);
    EXPECT_FLOAT_EQ(overridden->deviceBacking().getScale(), 1.25f);
}

TEST_F(WinInterface, TheRealMonitorChainGivesOne) {
    auto ui = make(0.0f);
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 1.0f);
}

TEST_F(WinInterface, TheAcceleratedRootComesFromTheHookOrTheGdiRootStands) {
    int asked = 0;
    WindowsInterface::setAcceleratedRootFactory([&](WindowsInterface&, HWND, const RECT&) -> WindowsControl* {
        ++asked;
        return nullptr;
    });
    auto off = make(0.0f);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(off->accelerated.getValue());
    EXPECT_NE(dynamic_cast<NativeWindowsControl*>(off->rootControl()), nullptr);
    off.reset();

    displayOptions().accelerationMode = 1;
    auto failed = make(0.0f);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(failed->accelerated.getValue());
    failed.reset();

    WindowsInterface::setAcceleratedRootFactory(
        [](WindowsInterface& ui, HWND parent, const RECT& r) -> WindowsControl* {
            return new WindowsControl(ui, parent, r);
        });
    auto accelerated = make(0.0f);
    EXPECT_TRUE(accelerated->accelerated.getValue());
    EXPECT_EQ(dynamic_cast<NativeWindowsControl*>(accelerated->rootControl()), nullptr);
}

TEST_F(WinInterface, ActivityAndDroppedFiles) {
    auto ui = make(0.0f);
    SetActiveWindow(host.handle());
    EXPECT_EQ(ui->isActive(), GetActiveWindow() == host.handle());
    ui->acceptDroppedFiles.setValue(true);
    EXPECT_TRUE(GetWindowLongW(ui->window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    ui->acceptDroppedFiles.setValue(false);
    EXPECT_FALSE(GetWindowLongW(ui->window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

} // namespace
} // namespace gui
