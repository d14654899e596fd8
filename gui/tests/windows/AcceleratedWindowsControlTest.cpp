#include "gui/windows/AcceleratedWindowsControl.h"

#include "gui/DisplayOptions.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/NativeWindowsControl.h"
#include "gui/windows/WindowsInterface.h"

// Without OpenGL (the null display driver of this test prefix has no pixel
// format): the accelerated root cannot make its context and the editor
// draws with GDI. The accelerated root itself is tested on a display in the
// OpenGL tests.

namespace gui {
namespace {

TEST(AcceleratedWindowsControl, WithoutAContextTheGdiRootStands) {
    displayOptions().accelerationMode = 1;
    AcceleratedWindowsControl::install();
    {
        test::TestWindow host;
        auto ui = std::make_unique<WindowsInterface>(host.handle(), RECT{0, 0, 300, 150}, "", 1.0f);
        EXPECT_NE(dynamic_cast<NativeWindowsControl*>(&ui->windowsRoot()), nullptr);
        EXPECT_FALSE(ui->accelerated.getValue());
    }
    WindowsInterface::setAcceleratedRootFactory({});
    displayOptions() = DisplayOptions();
}

} // namespace
} // namespace gui
