#pragma once

// The editor's context on Windows: made as a child of the host's window, it
// chooses the root control (an accelerated one from the factory hook when
// acceleration is on and the hook gives one, else the GDI root) and decides
// the backing scale from the host's scale, the global override or the
// smallest monitor scale.
//
// Threading: GUI thread only.

#include "foundation/IntervalTimer.h"
#include "gui/UserInterface.h"

#include <functional>
#include <string>
#include <windows.h>

namespace gui {

class WindowsControl;

class WindowsInterface : public UserInterface {
public:
    // Makes the accelerated root, or null when it cannot.
    using AcceleratedRootFactory =
        std::function<WindowsControl*(WindowsInterface& userInterface, HWND parent, const RECT& rectangle)>;
    static void setAcceleratedRootFactory(AcceleratedRootFactory factory);

    // rectangle in pixels of the parent; scale 0 lets the monitors decide.
    WindowsInterface(HWND parent, const RECT& rectangle, const std::string& scaleSettings, float scale,
                     IntervalTimer::Clock clock = {});
    ~WindowsInterface() override;

    void propertyChanged(AbstractProperty& property) override;
    Timer* createTimer() override;
    void* nativeWindow() override;
    RootControl* rootControl() override;
    // The top-level window of the editor's window is the active one.
    bool isActive() override;

    WindowsControl& windowsRoot() { return *root_; }
    HWND window() const;

private:
    WindowsControl* root_ = nullptr;
};

} // namespace gui
