#pragma once

// An OpenGL context with the surface it draws to: the platform service behind
// the accelerated renderer and its render loop. A context is made for a
// native window (its pixels appear in the window at each swap) or for an
// offscreen surface of a given size (a hidden window on Windows, a pbuffer in
// the native stand-in), always a compatibility context (never core), with 8
// bits per colour channel.
//
// Sharing: a context made with a previous one shares its objects (textures)
// when the platform allows it; sharesObjects() tells whether it does. A new
// context that does not share knows none of the previous context's names.
//
// Threading: created and destroyed on any thread while it is current on no
// other thread; current on at most one thread at a time (makeCurrent and
// release on the thread that draws). Every GL call and getProcAddress need
// the context current on the calling thread.

#include <memory>
#include <string>

namespace gui {

class GLContext {
public:
    using Proc = void (*)();

    virtual ~GLContext() = default;
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    // A context drawing into the native window (an HWND on Windows; the
    // native stand-in has no windows and always fails). shareWith may be
    // null. Null on failure, with the reason in error when given.
    static std::unique_ptr<GLContext> createForWindow(void* nativeWindow, GLContext* shareWith,
                                                      std::string* error = nullptr);
    // A context with its own offscreen surface of width x height pixels.
    static std::unique_ptr<GLContext> createOffscreen(int width, int height, GLContext* shareWith,
                                                      std::string* error = nullptr);

    // Makes the context current on the calling thread; false when the
    // platform refuses.
    virtual bool makeCurrent() = 0;
    // No context current on the calling thread.
    virtual void release() = 0;
    // Shows the back buffer (the context is current); false on failure.
    virtual bool swapBuffers() = 0;
    // Swaps wait for interval vertical blanks (0: never wait); false when the
    // platform cannot set it. The context is current.
    virtual bool setSwapInterval(int interval) = 0;
    // An entry point of the current context, or null. Names of the OpenGL
    // 1.1 functions are found too. Some platforms answer a stub for any
    // "gl" name: check the version and extensions before calling.
    virtual Proc getProcAddress(const char* name) = 0;
    // The offscreen surface gets a new size (its pixels are lost); false for
    // a window context or when the platform refuses. Not while current on
    // another thread.
    virtual bool resizeSurface(int width, int height) = 0;

    // True when made with a previous context and sharing its objects.
    bool sharesObjects() const { return shares_; }
    bool isOffscreen() const { return offscreen_; }
    int surfaceWidth() const { return width_; }
    int surfaceHeight() const { return height_; }

protected:
    GLContext() = default;

    bool shares_ = false;
    bool offscreen_ = false;
    int width_ = 0;
    int height_ = 0;
};

} // namespace gui
