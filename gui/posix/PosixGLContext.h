#pragma once

// The native stand-in of the OpenGL context: EGL on Mesa's surfaceless
// platform (no display server needed), an 8-bit RGBA pbuffer as the surface
// and a context made without attributes (Mesa then gives a compatibility
// context). There are no native windows here, so only offscreen contexts
// exist.
//
// One EGL display serves the whole process and is never terminated:
// terminating it unloads the driver while the process may still hold its
// allocations.

#include "gui/GLContext.h"

#include <EGL/egl.h>

#include <string>

namespace gui {

class PosixGLContext : public GLContext {
public:
    // Null on failure, with the reason in error.
    static std::unique_ptr<PosixGLContext> create(int width, int height, PosixGLContext* shareWith,
                                                  std::string& error);
    ~PosixGLContext() override;

    bool makeCurrent() override;
    void release() override;
    bool swapBuffers() override;
    bool setSwapInterval(int interval) override;
    Proc getProcAddress(const char* name) override;
    bool resizeSurface(int width, int height) override;

private:
    PosixGLContext() = default;

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLConfig config_ = nullptr;
    EGLSurface surface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
};

} // namespace gui
