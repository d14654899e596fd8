#include "gui/windows/WindowsInterface.h"

#include "gui/DeviceBacking.h"
#include "gui/PNGFiler.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/NativeWindowsControl.h"
#include "gui/windows/WindowsTimer.h"

#include <algorithm>
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

WindowsDisplayOptions& windowsDisplayOptions() {
    static WindowsDisplayOptions options;
    return options;
}

void WindowsInterface::setAcceleratedRootFactory(AcceleratedRootFactory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    acceleratedFactory = std::move(factory);
}

WindowsInterface::WindowsInterface(HWND parent, const RECT& rectangle, const std::string& scaleSettings,
                                   float scale, IntervalTimer::Clock clock) {
    registerPngFilerFactory();
    PNGFiler::setGammaFactor(kPngGamma);
    loadDpiFunctions();
    const WindowsDisplayOptions options = windowsDisplayOptions();
    if (options.acceleration != 0) {
        if (AcceleratedRootFactory factory = currentFactory()) {
            root_ = factory(*this, parent, rectangle);
            accelerated_ = root_ != nullptr;
        }
    }
    if (root_ == nullptr) root_ = new NativeWindowsControl(*this, parent, rectangle, std::move(clock));

    deviceBacking().parseScaleSettings(scaleSettings);
    const float override = options.globalScaleOverride;
    if (std::fabs(scale) > kScaleEpsilon && override == 0.0f) {
        root_->setFixedScale(scale);
        deviceBacking().setSystemScale(scale);
    } else {
        root_->setGlobalScaleOverride(override);
        deviceBacking().setSystemScale(override != 0.0f ? override : smallestMonitorScale());
    }
    root_->updateBoundsFromWindow();
}

WindowsInterface::~WindowsInterface() {
    beginDestruction();
    for (WindowsTimer* timer : std::vector<WindowsTimer*>(timers_))
        delete timer;
    timers_.clear();
    root_->deleteChildren();
    delete root_;
}

RootControl* WindowsInterface::rootControl() {
    return root_;
}

Timer* WindowsInterface::createTimer() {
    auto* timer = new WindowsTimer(*root_);
    timers_.push_back(timer);
    timer->destroyEvent.addHandler(NotifyEvent::bind(
        [this, timer] { timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end()); }));
    return timer;
}

HWND WindowsInterface::nativeWindow() const {
    return root_->window();
}

bool WindowsInterface::isActive() const {
    HWND window = root_->window();
    return window != nullptr && GetAncestor(window, GA_ROOT) == GetActiveWindow();
}

void WindowsInterface::setAcceptDroppedFiles(bool accept) {
    if (root_->window() != nullptr) DragAcceptFiles(root_->window(), accept ? TRUE : FALSE);
}

} // namespace gui
