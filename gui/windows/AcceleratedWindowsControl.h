#pragma once

// The root control that draws with OpenGL on a render thread of its own
// (RenderLoop), paced against the display, while the GUI thread keeps
// handling window messages; the root's lock separates the two.
//
// Context: made on the GUI thread with the control, on its window; the
// renderer is initialised with it and lives as long as it does. The
// control is usable only when both were made and the loop has its events.
// A full-screen switch stops the thread (keeping textures), makes a new
// context on the new window sharing the old one's objects (when sharing
// fails every texture is dropped, so bitmaps upload again), and deletes the
// old one; the next WM_PAINT starts a new thread.
//
// Painting: the first WM_PAINT (and the first after a switch) paints the
// back buffer in software and starts the thread; every WM_PAINT marks the
// whole root dirty for the next frame. A resize waits for a frame of the
// new size (see RenderLoop).
//
// Lost context: when the thread ends for a lost context it posts
// kContextLostMessage; the GUI thread joins it, deletes the renderer and
// the context, clears the user interface's accelerated property (frame
// timers become window timers again) and paints like the GDI root from
// then on; no render thread starts again.
//
// Closing: unlockSaved frees a saved lock and stops the thread deleting its
// textures; the destructor does the same stop, then deletes the renderer
// and the context. Whoever closes the editor stops the thread before the
// tree goes.
//
// Threading: GUI thread, except the RenderLoop::Client operations (render
// thread). Nothing on the render thread sends to the GUI thread's windows;
// the window operations check the GUI thread in debug builds.

#include "gui/Canvas.h"
#include "gui/RenderLoop.h"
#include "gui/windows/WindowsBitmap.h"
#include "gui/windows/WindowsControl.h"

#include <atomic>
#include <functional>
#include <memory>

namespace gui {

class GLContext;
class OpenGLRenderer;
class RenderPlatform;
class WindowsInterface;

class AcceleratedWindowsControl : public WindowsControl, private RenderLoop::Client {
public:
    // Posted by the render thread when it ended for a lost context.
    static constexpr UINT kContextLostMessage = WM_APP + 16;
    // The thread-attach hook takes the render thread's DPI awareness this long (ms).
    static constexpr DWORD kDpiAwarenessWindow = 200;

    AcceleratedWindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle);
    ~AcceleratedWindowsControl() override;

    // The factory of the Windows interface: the control when usable, else null.
    static WindowsControl* create(WindowsInterface& userInterface, HWND parent, const RECT& rectangle);
    // Installs create as the Windows interface's accelerated-root factory.
    static void install();

    bool isUsable() const { return usable_; }
    bool isRenderThreadRunning() const { return loop_ != nullptr && loop_->isRunning(); }
    // The context was lost: the control paints like the GDI root.
    bool isFallback() const { return fallback_; }
    WindowsBitmap& backBuffer() { return backBuffer_; }
    OpenGLRenderer* renderer() const { return renderer_.get(); }
    GLContext* context() const { return context_.get(); }

    // Stops the render thread; kDelete deletes the textures first.
    void stopRenderThread(RenderLoop::StopRequest request);

    // Tests: runs on the render thread after a frame was drawn, before the
    // swap, with the context current.
    void setFrameObserver(std::function<void()> observer) { frameObserver_ = std::move(observer); }
    // Tests: the context can no longer be made current.
    void injectLostContext() { lostInjected_.store(true); }
    // Tests: a new context does not share the old one's objects (as when
    // the driver refuses), so every texture is dropped.
    void setContextSharing(bool share) { shareContexts_ = share; }

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void addDirtyRect(const Rect& rect) override;
    void boundsChanged() override;
    void scaleChanged() override;
    void setMouseCapture(Control* control) override;
    void startTimer(int id, int interval) override;
    void stopTimer(int id) override;
    void enterFullScreen() override;
    void leaveFullScreen() override;
    void unlockSaved() override;
    void stopDrawing() override;

private:
    // RenderLoop::Client (render thread).
    void renderThreadStarted() override;
    bool makeCurrent() override;
    void releaseCurrent() override;
    bool swapBuffers() override;
    bool isVisible() override;
    void drawFrame() override;
    void renderThreadEnding(RenderLoop::StopRequest request) override;
    void contextLost() override;

    // A context on the current window (sharing the previous one's objects
    // when there is one) and its renderer; false when either failed.
    bool createContext();
    void switchWindow(bool enter);
    void fallBack();
    void fitBackBuffer();
    void checkGuiThread() const;

    std::unique_ptr<RenderPlatform> platform_;
    std::unique_ptr<GLContext> context_;
    std::unique_ptr<OpenGLRenderer> renderer_;
    Canvas canvas_;
    WindowsBitmap backBuffer_;
    std::unique_ptr<RenderLoop> loop_;
    bool usable_ = false;
    bool fallback_ = false;
    bool shareContexts_ = true;
    std::atomic<bool> lostInjected_{false};
    std::function<void()> frameObserver_;
};

// The module's thread-attach hook: a thread started shortly after a render
// thread chose its DPI awareness takes the same awareness.
void acceleratedThreadAttach();

} // namespace gui
