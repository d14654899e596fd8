#include "gui/posix/PosixGLContext.h"

#include <EGL/eglext.h>

#include <mutex>

namespace gui {

namespace {

// The process's display: made and initialised once, kept until the process ends.
EGLDisplay processDisplay(std::string& error) {
    static std::once_flag once;
    static EGLDisplay display = EGL_NO_DISPLAY;
    static std::string failure;
    std::call_once(once, [] {
        EGLDisplay d = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d == EGL_NO_DISPLAY) {
            failure = "no surfaceless EGL display";
            return;
        }
        EGLint major = 0, minor = 0;
        if (!eglInitialize(d, &major, &minor)) {
            failure = "eglInitialize failed";
            return;
        }
        display = d;
    });
    if (display == EGL_NO_DISPLAY) error = failure;
    return display;
}

EGLSurface makeSurface(EGLDisplay display, EGLConfig config, int width, int height) {
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    return eglCreatePbufferSurface(display, config, attributes);
}

} // namespace

std::unique_ptr<GLContext> GLContext::createForWindow(void*, GLContext*, std::string* error) {
    if (error != nullptr) *error = "no native windows in this build";
    return nullptr;
}

std::unique_ptr<GLContext> GLContext::createOffscreen(int width, int height, GLContext* shareWith,
                                                      std::string* error) {
    std::string reason;
    auto context = PosixGLContext::create(width, height, static_cast<PosixGLContext*>(shareWith), reason);
    if (context == nullptr && error != nullptr) *error = reason;
    return context;
}

std::unique_ptr<PosixGLContext> PosixGLContext::create(int width, int height, PosixGLContext* shareWith,
                                                       std::string& error) {
    if (width < 1 || height < 1) {
        error = "empty surface";
        return nullptr;
    }
    EGLDisplay display = processDisplay(error);
    if (display == EGL_NO_DISPLAY) return nullptr;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "no desktop OpenGL through EGL";
        return nullptr;
    }
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_PBUFFER_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_ALPHA_SIZE,
                             8,
                             EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
        error = "no 8-bit RGBA pbuffer configuration";
        return nullptr;
    }
    std::unique_ptr<PosixGLContext> context(new PosixGLContext());
    context->display_ = display;
    context->config_ = config;
    context->offscreen_ = true;
    context->surface_ = makeSurface(display, config, width, height);
    if (context->surface_ == EGL_NO_SURFACE) {
        error = "eglCreatePbufferSurface failed";
        return nullptr;
    }
    context->width_ = width;
    context->height_ = height;
    EGLContext share = shareWith != nullptr ? shareWith->context_ : EGL_NO_CONTEXT;
    context->context_ = eglCreateContext(display, config, share, nullptr);
    if (context->context_ == EGL_NO_CONTEXT && share != EGL_NO_CONTEXT)
        context->context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    else
        context->shares_ = share != EGL_NO_CONTEXT;
    if (context->context_ == EGL_NO_CONTEXT) {
        error = "eglCreateContext failed";
        return nullptr;
    }
    return context;
}

PosixGLContext::~PosixGLContext() {
    if (context_ != EGL_NO_CONTEXT) {
        if (eglGetCurrentContext() == context_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
}

bool PosixGLContext::makeCurrent() {
    return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void PosixGLContext::release() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool PosixGLContext::swapBuffers() {
    return eglSwapBuffers(display_, surface_) == EGL_TRUE;
}

bool PosixGLContext::setSwapInterval(int interval) {
    return eglSwapInterval(display_, interval) == EGL_TRUE;
}

GLContext::Proc PosixGLContext::getProcAddress(const char* name) {
    return reinterpret_cast<Proc>(eglGetProcAddress(name));
}

bool PosixGLContext::resizeSurface(int width, int height) {
    if (width < 1 || height < 1) return false;
    const bool current = eglGetCurrentContext() == context_;
    EGLSurface surface = makeSurface(display_, config_, width, height);
    if (surface == EGL_NO_SURFACE) return false;
    if (current && !eglMakeCurrent(display_, surface, surface, context_)) {
        eglDestroySurface(display_, surface);
        return false;
    }
    eglDestroySurface(display_, surface_);
    surface_ = surface;
    width_ = width;
    height_ = height;
    return true;
}

} // namespace gui
