#include "gui/windows/AcceleratedWindowsControl.h"

#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/GLContext.h"
#include "gui/OpenGLRenderer.h"
#include "gui/RenderPlatform.h"
#include "gui/UserInterface.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/WindowsInterface.h"

#include <cassert>
#include <cmath>
#include <mmsystem.h>

namespace gui {

namespace {

LONG toPixels(float logical, float scale) {
    return LONG(std::floor(logical * scale + 0.7f));
}

// The DPI awareness the last render thread chose, and when (timeGetTime).
std::atomic<DPI_AWARENESS_CONTEXT> lastRenderAwareness{nullptr};
std::atomic<DWORD> lastRenderAwarenessTime{0};

bool hasAwarenessFunctions(const DpiFunctions& functions) {
    return functions.areDpiAwarenessContextsEqual != nullptr &&
           functions.getThreadDpiAwarenessContext != nullptr &&
           functions.getWindowDpiAwarenessContext != nullptr &&
           functions.setThreadDpiAwarenessContext != nullptr;
}

} // namespace

void acceleratedThreadAttach() {
    const DPI_AWARENESS_CONTEXT awareness = lastRenderAwareness.load();
    if (awareness == nullptr) return;
    if (timeGetTime() - lastRenderAwarenessTime.load() >= AcceleratedWindowsControl::kDpiAwarenessWindow)
        return;
    const DpiFunctions& functions = dpiFunctions();
    if (functions.setThreadDpiAwarenessContext != nullptr) functions.setThreadDpiAwarenessContext(awareness);
}

AcceleratedWindowsControl::AcceleratedWindowsControl(UserInterface& userInterface, HWND parent,
                                                     const RECT& rectangle)
    : WindowsControl(userInterface, parent, rectangle), platform_(RenderPlatform::create()),
      backBuffer_(userInterface.deviceBacking()) {
    fitBackBuffer();
    if (window() == nullptr || !createContext()) return;
    RenderLoop::Client& client = *this;
    loop_ = std::make_unique<RenderLoop>(*this, *platform_, client, displayOptions().accelerationMode);
    usable_ = loop_->isUsable();
}

AcceleratedWindowsControl::~AcceleratedWindowsControl() {
    endLiveness();
    loop_.reset(); // stops a running thread, deleting its textures
    canvas_.setTarget(nullptr);
    renderer_.reset();
    context_.reset();
}

WindowsControl* AcceleratedWindowsControl::create(WindowsInterface& userInterface, HWND parent,
                                                  const RECT& rectangle) {
    auto* control = new AcceleratedWindowsControl(userInterface, parent, rectangle);
    if (control->isUsable()) return control;
    delete control;
    return nullptr;
}

void AcceleratedWindowsControl::install() {
    WindowsInterface::setAcceleratedRootFactory(&AcceleratedWindowsControl::create);
}

bool AcceleratedWindowsControl::createContext() {
    // Declared first, so they go last: the old renderer, then its context.
    std::unique_ptr<GLContext> previous = std::move(context_);
    std::unique_ptr<OpenGLRenderer> previousRenderer = std::move(renderer_);
    canvas_.setTarget(nullptr);
    std::unique_ptr<GLContext> context =
        GLContext::createForWindow(window(), shareContexts_ ? previous.get() : nullptr);
    if (context == nullptr || !context->makeCurrent()) return false;
    context->setSwapInterval(0); // the loop paces itself
    auto renderer = std::make_unique<OpenGLRenderer>(
        userInterface().deviceBacking(), *context,
        previousRenderer != nullptr ? previousRenderer->textureList() : nullptr);
    // Names of a context this one does not share mean nothing here.
    if (previousRenderer != nullptr && !context->sharesObjects()) renderer->forgetAllTextures();
    const bool initialized = renderer->initialize();
    context->release();
    if (!initialized) return false;
    context_ = std::move(context);
    renderer_ = std::move(renderer);
    canvas_.setTarget(renderer_.get());
    return true;
}

void AcceleratedWindowsControl::checkGuiThread() const {
    // Nothing on the render thread may send to (or wait for) the GUI
    // thread's windows: the GUI thread may be waiting for the lock.
    assert(userInterface().isGuiThread() && "a window operation off the GUI thread");
}

void AcceleratedWindowsControl::fitBackBuffer() {
    const Rect r = bounds.getValue();
    backBuffer_.setSize(r.right - r.left, r.bottom - r.top);
}

void AcceleratedWindowsControl::stopDrawing() {
    stopRenderThread(RenderLoop::StopRequest::kDelete);
}

void AcceleratedWindowsControl::stopRenderThread(RenderLoop::StopRequest request) {
    if (loop_ != nullptr) loop_->stop(request);
}

LRESULT AcceleratedWindowsControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool software = !usable_ || fallback_;
    switch (message) {
    case WM_PAINT: {
        const LivenessToken token = liveness();
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (software || !loop_->isRunning()) {
            if (!software) {
                // Before the first frame: what the thread would run first.
                userInterface().drainList(kFrameList);
                if (!token->alive) return 0;
                userInterface().fireFrameTimers();
                if (!token->alive) return 0;
            }
            paint(backBuffer_);
            if (dc != nullptr) backBuffer_.copyTo(dc, 0, 0);
        }
        EndPaint(window, &ps);
        if (software) return 0;
        invalidateRect(localRect()); // the next frame draws everything
        if (!loop_->isRunning()) loop_->start();
        return 0;
    }
    case WM_PRINTCLIENT:
        if (!software) break;
        paint(backBuffer_);
        backBuffer_.copyTo(reinterpret_cast<HDC>(wParam), 0, 0);
        return 1;
    case kContextLostMessage:
        if (!software && loop_->isRunning() && loop_->contextWasLost()) fallBack();
        return 0;
    default:
        break;
    }
    return WindowsControl::windowProc(window, message, wParam, lParam);
}

void AcceleratedWindowsControl::fallBack() {
    loop_->stop(RenderLoop::StopRequest::kKeep); // the thread has ended: this joins it
    canvas_.setTarget(nullptr);
    renderer_.reset();
    context_.reset();
    fallback_ = true;
    fitBackBuffer();
    // Frame timers become window timers again.
    userInterface().accelerated.setValue(false);
    invalidateRect(localRect());
}

void AcceleratedWindowsControl::addDirtyRect(const Rect& rect) {
    WindowsControl::addDirtyRect(rect);
    if (!fallback_ || window() == nullptr) return;
    const float s = scale();
    RECT pixels{toPixels(rect.left, s), toPixels(rect.top, s), toPixels(rect.right, s),
                toPixels(rect.bottom, s)};
    InvalidateRect(window(), &pixels, FALSE);
}

void AcceleratedWindowsControl::boundsChanged() {
    checkGuiThread();
    const LivenessToken token = liveness();
    RenderLoop* loop = usable_ && !fallback_ ? loop_.get() : nullptr;
    if (loop != nullptr) loop->beginResize();
    WindowsControl::boundsChanged(); // the bounds event; the capture is released
    if (!token->alive) return;
    fitBackBuffer();
    if (!fullScreen.getValue() && window() != nullptr) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(window(), &placement)) {
            const float s = scale();
            const Rect r = bounds.getValue();
            // The window's size takes the one rule of sizes (DeviceBacking.h).
            placement.rcNormalPosition.right = placement.rcNormalPosition.left + toDevicePixels(r.width(), s);
            placement.rcNormalPosition.bottom =
                placement.rcNormalPosition.top + toDevicePixels(r.height(), s);
            SetWindowPlacement(window(), &placement);
            if (!token->alive) return;
        }
    }
    if (loop != nullptr) loop->endResize();
}

void AcceleratedWindowsControl::scaleChanged() {
    WindowsControl::scaleChanged();
    fitBackBuffer();
}

void AcceleratedWindowsControl::setMouseCapture(Control* control) {
    checkGuiThread();
    WindowsControl::setMouseCapture(control);
}

void AcceleratedWindowsControl::startTimer(int id, int interval) {
    checkGuiThread();
    WindowsControl::startTimer(id, interval);
}

void AcceleratedWindowsControl::stopTimer(int id) {
    checkGuiThread();
    WindowsControl::stopTimer(id);
}

void AcceleratedWindowsControl::enterFullScreen() {
    switchWindow(true);
}

void AcceleratedWindowsControl::leaveFullScreen() {
    switchWindow(false);
}

void AcceleratedWindowsControl::switchWindow(bool enter) {
    checkGuiThread();
    const bool accelerated = usable_ && !fallback_;
    const int depth = releaseLock();
    if (accelerated) loop_->stop(RenderLoop::StopRequest::kKeep);
    HWND before = window();
    if (enter)
        WindowsControl::enterFullScreen();
    else
        WindowsControl::leaveFullScreen();
    const bool ok = !accelerated || window() == before || createContext();
    reacquireLock(depth);
    if (!ok) {
        fallBack();
        return;
    }
    // The next WM_PAINT starts a new thread.
    if (window() != nullptr) InvalidateRect(window(), nullptr, FALSE);
}

void AcceleratedWindowsControl::unlockSaved() {
    WindowsControl::unlockSaved();
    stopRenderThread(RenderLoop::StopRequest::kDelete);
}

// ---- the render thread ------------------------------------------------------

void AcceleratedWindowsControl::renderThreadStarted() {
    const DpiFunctions& functions = dpiFunctions();
    if (!hasAwarenessFunctions(functions)) return;
    const DPI_AWARENESS_CONTEXT awareness = functions.getWindowDpiAwarenessContext(window());
    if (awareness == nullptr ||
        functions.areDpiAwarenessContextsEqual(awareness, functions.getThreadDpiAwarenessContext()))
        return;
    functions.setThreadDpiAwarenessContext(awareness);
    lastRenderAwarenessTime.store(timeGetTime());
    lastRenderAwareness.store(awareness);
}

bool AcceleratedWindowsControl::makeCurrent() {
    return !lostInjected_.load() && context_->makeCurrent();
}

void AcceleratedWindowsControl::releaseCurrent() {
    context_->release();
}

bool AcceleratedWindowsControl::swapBuffers() {
    if (frameObserver_) frameObserver_();
    return context_->swapBuffers();
}

bool AcceleratedWindowsControl::isVisible() {
    return IsWindowVisible(window()) != FALSE;
}

void AcceleratedWindowsControl::drawFrame() {
    const float s = scale();
    const Rect local = localRect();
    PixelRect viewport(toPixels(local.left, s), toPixels(local.top, s), toPixels(local.right, s),
                       toPixels(local.bottom, s));
    if (fullScreen.getValue()) {
        // The full-screen window is one pixel taller than the monitor.
        viewport.top += 1;
        viewport.bottom += 1;
    }
    renderer_->setViewport(viewport);
    const Point origin = canvas_.origin.getValue();
    if (std::fabs(origin.x) > kGeometryTolerance || std::fabs(origin.y) > kGeometryTolerance)
        canvas_.origin.setValue(Point(0.0f, 0.0f));
    const Rect clip = canvas_.clip.getValue();
    if (std::fabs(clip.left - local.left) > kGeometryTolerance ||
        std::fabs(clip.top - local.top) > kGeometryTolerance ||
        std::fabs(clip.right - local.right) > kGeometryTolerance ||
        std::fabs(clip.bottom - local.bottom) > kGeometryTolerance)
        canvas_.clip.setValue(local); // every frame draws the whole root
    render(canvas_);
}

void AcceleratedWindowsControl::renderThreadEnding(RenderLoop::StopRequest request) {
    if (request != RenderLoop::StopRequest::kDelete) return;
    if (!context_->makeCurrent()) return;
    renderer_->deleteAllTextures();
    context_->release();
}

void AcceleratedWindowsControl::contextLost() {
    // Posted, never sent: the GUI thread may be waiting for this thread.
    PostMessageW(window(), kContextLostMessage, 0, 0);
}

} // namespace gui
