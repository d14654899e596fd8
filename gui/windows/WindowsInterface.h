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
#include <vector>
#include <windows.h>

namespace gui {

class WindowsControl;
class WindowsTimer;

// How editors are displayed, set by whoever opens them: the graphics
// acceleration setting (0 off) and the global scale override (0 none).
struct WindowsDisplayOptions {
    int acceleration = 0;
    float globalScaleOverride = 0.0f;
};

WindowsDisplayOptions& windowsDisplayOptions();

class WindowsInterface : public UserInterface {
public:
    // Makes the accelerated root, or null when it cannot.
    using AcceleratedRootFactory =
        std::function<WindowsControl*(WindowsInterface& userInterface, HWND parent, const RECT& rectangle)>;
    static void setAcceleratedRootFactory(AcceleratedRootFactory factory);

    WindowsInterface(HWND parent, const RECT& rectangle, const std::string& scaleSettings, float scale,
                     IntervalTimer::Clock clock = {});
    ~WindowsInterface() override;

    RootControl* rootControl() override;
    Timer* createTimer() override;

    WindowsControl& windowsRoot() { return *root_; }
    HWND nativeWindow() const;
    // The top-level window of the editor's window is the active one.
    bool isActive() const;
    bool isAccelerated() const { return accelerated_; }
    void setAcceptDroppedFiles(bool accept);

private:
    WindowsControl* root_ = nullptr;
    bool accelerated_ = false;
    std::vector<WindowsTimer*> timers_;
};

} // namespace gui
