#pragma once

// The OpenGL context on Windows (WGL). A window context draws into the given
// window: the window gets the pixel format below unless it already has one,
// and the context keeps the window's device context until it is destroyed.
// An offscreen context makes its own hidden popup window (never shown) of
// the requested size, of a class registered per process.
//
// Pixel format: a double-buffered RGBA window format with OpenGL support,
// 32 colour bits, 8 alpha bits asked (Wine on X11 may give 0: compare colour
// only), no depth or stencil buffer.
//
// Sharing: wglShareLists right after creation, before the new context has
// any object; when it fails the context stays unshared.

#include "gui/GLContext.h"

#include <windows.h>

#include <string>

namespace gui {

class WindowsGLContext : public GLContext {
public:
    // For the window, or (window null) offscreen with its own hidden window
    // of width x height. Null on failure, with the reason in error.
    static std::unique_ptr<WindowsGLContext> create(HWND window, int width, int height,
                                                    WindowsGLContext* shareWith, std::string& error);
    ~WindowsGLContext() override;

    bool makeCurrent() override;
    void release() override;
    bool swapBuffers() override;
    bool setSwapInterval(int interval) override;
    Proc getProcAddress(const char* name) override;
    bool resizeSurface(int width, int height) override;

    HWND window() const { return window_; }
    HGLRC handle() const { return context_; }

private:
    WindowsGLContext() = default;

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    bool ownsWindow_ = false;
};

} // namespace gui
