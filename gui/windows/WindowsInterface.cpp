#include "gui/windows/WindowsInterface.h"

#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/PNGFiler.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/NativeWindowsControl.h"
#include "gui/windows/WindowsPlatformDelegate.h"
#include "gui/windows/WindowsTimer.h"

#include <cmath>
#include <mutex>
#include <shellapi.h>

namespace gui {

namespace {

// PNG gamma that matches the system's display of the skin's pictures.
constexpr float kPngGamma = 1.1f;

std::mutex factoryMutex;
WindowsInterface::AcceleratedRootFactory acceleratedFactory;

WindowsInterface::AcceleratedRootFactory currentFactory() {
    std::lock_guard<std::mutex> lock(factoryMutex);
    return acceleratedFactory;
}

} // namespace

void WindowsInterface::setAcceleratedRootFactory(AcceleratedRootFactory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    acceleratedFactory = std::move(factory);
}

WindowsInterface::WindowsInterface(HWND parent, const RECT& rectangle, const std::string& scaleSettings,
                                   float scale, IntervalTimer::Clock clock)
    : UserInterface(std::move(clock)) {
    PNGFiler::setGammaFactor(kPngGamma);
    loadDpiFunctions();
    setPlatformDelegate(std::make_unique<WindowsPlatformDelegate>(*this));
    const DisplayOptions options = displayOptions();
    if (options.accelerationMode != 0) {
        if (AcceleratedRootFactory factory = currentFactory()) root_ = factory(*this, parent, rectangle);
    }
    if (root_ != nullptr)
        accelerated.setValue(true);
    else
        root_ = new NativeWindowsControl(*this, parent, rectangle);

    deviceBacking().parseScaleSettings(scaleSettings);
    const float override = options.globalScaleOverride;
    if (std::fabs(scale) > kScaleEpsilon && override == 0.0f) {
        root_->setFixedScale(scale);
        deviceBacking().setSystemScale(scale);
    } else {
        deviceBacking().setSystemScale(override != 0.0f ? override : smallestMonitorScale());
    }
    root_->updateBoundsFromWindow();
}

WindowsInterface::~WindowsInterface() {
    beginDestruction();
    root_->stopDrawing(); // even when the closing stop was never made
    root_->deleteChildren();
    WindowsControl* root = root_;
    root_ = nullptr;
    delete root; // with the timers it made; the base deletes the others
}

void WindowsInterface::propertyChanged(AbstractProperty& property) {
    if (&property == &acceptDroppedFiles && root_ != nullptr && root_->window() != nullptr)
        DragAcceptFiles(root_->window(), acceptDroppedFiles.getValue() ? TRUE : FALSE);
    UserInterface::propertyChanged(property);
}

Timer* WindowsInterface::createTimer() {
    return new WindowsTimer(*this);
}

void* WindowsInterface::nativeWindow() {
    return root_ != nullptr ? root_->window() : nullptr;
}

HWND WindowsInterface::window() const {
    return root_ != nullptr ? root_->window() : nullptr;
}

RootControl* WindowsInterface::rootControl() {
    return root_;
}

bool WindowsInterface::isActive() {
    HWND w = window();
    return w != nullptr && GetAncestor(w, GA_ROOT) == GetActiveWindow();
}

} // namespace gui
